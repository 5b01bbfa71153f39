# End-to-end cases of Setup, its uninstaller and the portable zip. Sourced by run_e2e.sh, whose helpers they use.
# Setup installs for all users into Program Files and runs elevated; Wine runs every program elevated, so that
# shows here only as what the built manifests ask for.

e2e_cases setup_installs_for_all_users_and_its_program_runs \
    setup_start_with_windows_writes_the_run_value_the_program_writes \
    setup_pages_install_and_the_finish_page_starts_the_program_through_the_shell \
    setup_carries_a_per_user_installation_over_and_removes_it \
    setup_leaves_a_per_user_installation_in_a_folder_of_another_name_alone \
    setup_over_a_per_user_installation_in_its_own_folder_keeps_the_files \
    silent_uninstall_removes_the_program_and_keeps_the_records \
    uninstall_answered_no_removes_the_records_and_leaves_another_run_value portable_zip_runs_from_a_folder_of_its_own

SETUP="$BUILD/Quillcrest-Setup.exe"
PORTABLE_ZIP="$BUILD/Quillcrest-portable.zip"
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillcrest'
# Where the registration would land if Setup wrote through the 32-bit view of the registry.
UNINSTALL_KEY_32='HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Quillcrest'
# The registration of Setup's earlier layout, an installation for one user only.
PER_USER_UNINSTALL_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillcrest'
# Setup's and the uninstaller's window titles end in the blank of their pages' sub-captions; their message
# boxes' do not.
SETUP_WINDOW="Quillcrest Setup "
UNINSTALL_WINDOW="Quillcrest Uninstall "
UNINSTALL_BOX="Quillcrest Uninstall"
# Controls of Setup's pages (NSIS's own numbers).
SETUP_NEXT=1
SETUP_FOLDER_EDIT=1019
SETUP_PAGE_HEADING=1037
FINISH_RUN_BOX=1203
FINISH_README_BOX=1204
# Folders the cases install into or plant earlier installations in, outside the prefix's own.
CASE_FOLDERS="$ARTIFACTS/setup-folders"
SETUP_TRACE="$ARTIFACTS/setup-trace.log"

# A folder of the prefix's user as the environment names it (LOCALAPPDATA, APPDATA).
win_env() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }

unix_path() { winepath -u "$1" 2>/dev/null | tr -d '\r' | sed 's:/$::'; }

windows_path() { winepath -w "$1" 2>/dev/null | tr -d '\r' | sed 's:\\$::'; }

# The prefix's folders that Setup works with, read once (each look-up starts cmd): PROGRAM_FILES_WIN (the 64-bit
# one), PER_USER_DIR_WIN (where Setup installed for one user only) and the Start menus of all users and of the
# prefix's user.
PROGRAM_FILES_WIN=""
know_setup_folders() {
    [ -n "$PROGRAM_FILES_WIN" ] && return 0
    PROGRAM_FILES_WIN=$(win_env ProgramW6432)
    PER_USER_DIR_WIN="$(win_env LOCALAPPDATA)\\Programs\\Quillcrest"
    ALL_USERS_START_MENU=$(unix_path "$(win_env ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs")
    USER_START_MENU=$(unix_path "$(win_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs")
    [ -n "$PROGRAM_FILES_WIN" ] && [ -n "$ALL_USERS_START_MENU" ] && [ -n "$USER_START_MENU" ]
}

# Runs Setup or the uninstaller. Wine would turn each shortcut made into a menu entry of the Linux desktop,
# outside the prefix: winemenubuilder stays off for them. The uninstaller starts its copy in the temporary folder
# (Un.exe) and ends at once; the copy, found in the process trace, ends with the case if it has not by then.
SETUP_RUN_TRACE="$ARTIFACTS/setup-run-trace.log"
setup_run() {
    WINEDEBUG=+process WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d" timeout -k 10 120 wine "$@" \
        >/dev/null 2>"$SETUP_RUN_TRACE"
    local status=$?
    track_started_in_trace "$SETUP_RUN_TRACE" Un.exe
    return "$status"
}

# True when a shortcut file names the Windows path (ANSI or UTF-16, letter case aside).
link_names() {  # file windows-path
    python3 - "$1" "$2" <<'EOF'
import sys
data = open(sys.argv[1], "rb").read().lower()
path = sys.argv[2].lower()
sys.exit(0 if path.encode("latin-1") in data or path.encode("utf-16-le") in data else 1)
EOF
}

# The execution levels that the manifest in a Windows program's resources asks for, one a line.
manifest_execution_level() {  # exe
    python3 - "$1" <<'EOF'
import re, struct, sys
data = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
section_count = struct.unpack_from("<H", data, pe + 6)[0]
optional_size = struct.unpack_from("<H", data, pe + 20)[0]
optional = pe + 24
PE32_PLUS = 0x20B
directories = optional + (112 if struct.unpack_from("<H", data, optional)[0] == PE32_PLUS else 96)
RESOURCE_DIRECTORY = 2
resource_rva = struct.unpack_from("<I", data, directories + 8 * RESOURCE_DIRECTORY)[0]
section_table = optional + optional_size

def file_offset(rva):
    for i in range(section_count):
        size, address, _, raw = struct.unpack_from("<IIII", data, section_table + 40 * i + 8)
        if address <= rva < address + size:
            return raw + rva - address
    sys.exit("an address outside every section")

root = file_offset(resource_rva)

def entries(directory):
    named, numbered = struct.unpack_from("<HH", data, directory + 12)
    for i in range(named + numbered):
        yield struct.unpack_from("<II", data, directory + 16 + 8 * i)

SUBDIRECTORY = 0x80000000
RT_MANIFEST = 24
for kind, names in entries(root):
    if kind != RT_MANIFEST:
        continue
    for _, languages in entries(root + (names & ~SUBDIRECTORY)):
        for _, leaf in entries(root + (languages & ~SUBDIRECTORY)):
            rva, size = struct.unpack_from("<II", data, root + leaf)
            start = file_offset(rva)
            manifest = data[start:start + size].decode("utf-8", "replace")
            for level in re.findall(r'<requestedExecutionLevel[^>]*\blevel="([^"]*)"', manifest):
                print(level)
EOF
}

# Takes away whatever an earlier case installed or planted: the folders, both shortcuts, both registrations and
# the test interface key. Only when a case may have installed something since the last time, or on the first call
# (an earlier run in this prefix may have left an installation).
SETUP_DIRTY=1
forget_installations() {
    [ "$SETUP_DIRTY" -eq 1 ] || return 0
    know_setup_folders || return 1
    local dir
    for dir in "$PROGRAM_FILES_WIN\\Quillcrest" "$PER_USER_DIR_WIN"; do
        dir=$(unix_path "$dir")
        [ -n "$dir" ] && rm -rf "$dir"
    done
    rm -rf "$CASE_FOLDERS"
    rm -f "$ALL_USERS_START_MENU/Quillcrest.lnk" "$USER_START_MENU/Quillcrest.lnk"
    reg delete "$UNINSTALL_KEY" /f
    reg delete "$UNINSTALL_KEY_32" /f
    reg delete "$PER_USER_UNINSTALL_KEY" /f
    reg delete "$TCPIP_INTERFACES_KEY\\$TEST_INTERFACE" /f
    SETUP_DIRTY=0
    true
}
e2e_reset_step forget_installations

# Installs silently with the given arguments; sets INSTDIR_WIN (from the uninstall registration) and INSTDIR.
install_silently() {
    [ -f "$SETUP" ] || fail "no $SETUP: the Windows build made no Setup (is makensis installed?)" || return 1
    know_setup_folders || fail "the prefix's folders could not be read" || return 1
    SETUP_DIRTY=1
    setup_run "$SETUP" /S "$@"
    local status=$?
    [ "$status" = 0 ] || fail "Setup /S $* ended with $status" || return 1
    INSTDIR_WIN=$(reg_value "$UNINSTALL_KEY" InstallLocation)
    [ -n "$INSTDIR_WIN" ] || fail "no InstallLocation in the uninstall registration" || return 1
    INSTDIR=$(unix_path "$INSTDIR_WIN")
}

# The program's files are gone, and with them the uninstaller's copy has done its work up to the records.
program_files_gone() { [ ! -e "$INSTDIR/Quillcrest.exe" ] && [ ! -e "$INSTDIR/Uninstall.exe" ]; }

# The uninstaller copies itself to the temporary folder and ends at once; the copy does the work.
uninstall_silently() {
    setup_run "$INSTDIR/Uninstall.exe" /S || fail "Uninstall.exe /S failed" || return 1
    poll 60 program_files_gone || fail "program files still there a minute after the uninstaller started" || return 1
    # The folder itself goes last (unless the allowed list keeps it).
    poll 10 eval '[ ! -d "$INSTDIR" ] || [ "$(ls -A "$INSTDIR")" = AllowedDNS.txt ]' ||
        fail "folder holds: $(ls -A "$INSTDIR")" || return 1
}

# Records as the program leaves them: a user's DNS records, an interface's original servers, the allowed list.
plant_records() {
    reg add "$INTERFACES_KEY\\$TEST_INTERFACE" /v "Default NameServers" /d 127.0.0.5 /f
    reg add "$TCPIP_INTERFACES_KEY\\$TEST_INTERFACE" /v OrigDNS /d 127.0.0.5 /f
    printf '127.0.0.5\r\n' >"$INSTDIR/AllowedDNS.txt"
}

uninstall_registration_gone() { ! wine reg query "$UNINSTALL_KEY" >/dev/null 2>&1; }

per_user_registration_gone() { ! wine reg query "$PER_USER_UNINSTALL_KEY" >/dev/null 2>&1; }

project_version() { sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$BUILD/CMakeCache.txt"; }

# Starts an installed or unpacked program, waits for its window, takes its picture and closes it; it must end
# with code 0.
program_shows_its_window_and_ends() {  # exe screenshot-name
    start_app "$1"
    local pid=$LAST_PID
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "$1 showed no window" || return 1
    sleep 0.5
    screenshot "$2" "^${MAIN_CAPTION}\$"
    drive post "$MAIN_CLASS" $WM_CLOSE 0 0 >/dev/null
    wait_exit "$pid" 20
    [ "$EXIT_CODE" = 0 ] || fail "$1 ended with $EXIT_CODE" || return 1
}

# Leaves what Setup made when it installed for one user only: the program, the read-me, the uninstaller and an
# allowed list in a folder, the registration under HKCU and a shortcut in the user's own Start menu. The
# uninstaller and the shortcut are stand-ins: Setup has nothing to run or read in them.
plant_per_user_installation() {  # folder-windows registered(yes|no) allowed-list(printf %b text; "-" for none)
    know_setup_folders || return 1
    SETUP_DIRTY=1
    local dir
    dir=$(unix_path "$1")
    mkdir -p "$dir" "$USER_START_MENU" || return 1
    cp "$BUILD/Quillcrest.exe" "$dir/Quillcrest.exe" || return 1
    cp "$QC_ROOT/installer/README.txt" "$dir/README.txt" || return 1
    printf 'stand-in for the earlier uninstaller\n' >"$dir/Uninstall.exe"
    [ "$3" = - ] || printf '%b' "$3" >"$dir/AllowedDNS.txt"
    printf 'stand-in for the earlier shortcut\n' >"$USER_START_MENU/Quillcrest.lnk"
    if [ "$2" = yes ]; then
        reg add "$PER_USER_UNINSTALL_KEY" /v DisplayName /d Quillcrest /f
        reg add "$PER_USER_UNINSTALL_KEY" /v InstallLocation /d "$1" /f
        reg add "$PER_USER_UNINSTALL_KEY" /v UninstallString /d "\"$1\\Uninstall.exe\"" /f
    fi
}

# The DNS records of the prefix's user, which no installation step touches.
plant_user_records() { reg add "$INTERFACES_KEY\\$TEST_INTERFACE" /v "Default NameServers" /d 127.0.0.5 /f; }
user_records_kept() { [ "$(reg_value "$INTERFACES_KEY\\$TEST_INTERFACE" "Default NameServers")" = 127.0.0.5 ]; }

# Checks a process trace of Setup's run (WINEDEBUG=+process) for the way the program was started: Setup started
# explorer.exe with the program's path, and the one process of the program was started by that explorer.exe.
# Setup's own run of the program that takes the DNS baseline (/keep-dns-baseline, which shows no window and
# ends) is not the program's start. Prints what it found wrong.
program_started_through_the_shell() {  # trace program-windows-path
    python3 - "$1" "$2" <<'EOF'
import re, sys
trace = open(sys.argv[1], "rb").read().decode("utf-8", "replace").splitlines()
program = sys.argv[2].replace("\\", "\\\\").lower()
creation = re.compile(r'^([0-9a-f]+):trace:process:CreateProcessInternalW app (.*) cmdline (.*)$')
started = re.compile(r'^([0-9a-f]+):trace:process:CreateProcessInternalW started process pid ([0-9a-f]+) tid ([0-9a-f]+)')
pending = {}
shell_threads, program_starters = set(), []
for line in trace:
    m = creation.match(line)
    if m:
        pending[m.group(1)] = (m.group(2) + " " + m.group(3)).lower()
        continue
    m = started.match(line)
    if m and m.group(1) in pending:
        command = pending.pop(m.group(1))
        if "explorer.exe" in command and program in command:
            shell_threads.add(m.group(3))
        elif program in command and "/keep-dns-baseline" not in command:
            program_starters.append(m.group(1))
if not shell_threads:
    sys.exit("Setup started no explorer.exe with the program's path")
if len(program_starters) != 1:
    sys.exit("the program was started %d times" % len(program_starters))
if program_starters[0] not in shell_threads:
    sys.exit("the program was started by thread %s, not by the explorer.exe that Setup started" % program_starters[0])
EOF
}

# --- cases --------------------------------------------------------------------------------------------------

setup_installs_for_all_users_and_its_program_runs() {
    install_silently || return 1
    local expected="$PROGRAM_FILES_WIN\\Quillcrest"
    [ "$INSTDIR_WIN" = "$expected" ] || fail "installed in '$INSTDIR_WIN', expected '$expected'" || return 1
    local f
    for f in Quillcrest.exe README.txt Uninstall.exe; do
        [ -f "$INSTDIR/$f" ] || fail "$f not installed in $INSTDIR" || return 1
    done
    cmp -s "$INSTDIR/Quillcrest.exe" "$BUILD/Quillcrest.exe" || fail "the installed program differs from the built one" || return 1
    cmp -s "$INSTDIR/README.txt" "$QC_ROOT/installer/README.txt" || fail "the installed read-me is not installer/README.txt" || return 1
    # Windows elevates Setup and its uninstaller before they start; Wine elevates everything anyway.
    local exe level
    for exe in "$SETUP" "$INSTDIR/Uninstall.exe"; do
        level=$(manifest_execution_level "$exe")
        [ "$level" = requireAdministrator ] || fail "$(basename "$exe") asks for '$level'" || return 1
    done
    local link="$ALL_USERS_START_MENU/Quillcrest.lnk"
    [ -f "$link" ] || fail "no Start-menu shortcut for all users at $link" || return 1
    link_names "$link" "$INSTDIR_WIN\\Quillcrest.exe" || fail "the shortcut does not name the installed program" || return 1
    [ ! -e "$USER_START_MENU/Quillcrest.lnk" ] || fail "a shortcut in the user's own Start menu" || return 1
    local name value
    for name in DisplayName DisplayVersion Publisher DisplayIcon UninstallString QuietUninstallString; do
        value=$(reg_value "$UNINSTALL_KEY" "$name")
        case $name in
        DisplayName) expected=Quillcrest ;;
        DisplayVersion) expected=$(project_version) ;;
        Publisher) expected=Brenholt ;;
        DisplayIcon) expected="\"$INSTDIR_WIN\\Quillcrest.exe\",0" ;;
        UninstallString) expected="\"$INSTDIR_WIN\\Uninstall.exe\"" ;;
        QuietUninstallString) expected="\"$INSTDIR_WIN\\Uninstall.exe\" /S" ;;
        esac
        [ "$value" = "$expected" ] || fail "uninstall registration $name: '$value', expected '$expected'" || return 1
    done
    ! wine reg query "$UNINSTALL_KEY_32" >/dev/null 2>&1 || fail "registration written to the 32-bit view" || return 1
    per_user_registration_gone || fail "a registration under HKCU" || return 1
    [ -z "$(run_entry)" ] || fail "Run value written without the Start with Windows component: $(run_entry)" || return 1
    # The installed program starts through its Windows path.
    program_shows_its_window_and_ends "$INSTDIR_WIN\\Quillcrest.exe" installed-main-window
}

setup_start_with_windows_writes_the_run_value_the_program_writes() {
    # Program Files has a blank in its name: the value is quoted, the very text the program writes when its box
    # is ticked.
    install_silently /StartWithWindows || return 1
    local exe_win="$INSTDIR_WIN\\Quillcrest.exe"
    local by_setup
    by_setup=$(run_entry)
    [ "$by_setup" = "\"$exe_win\"" ] || fail "Run value '$by_setup', expected the quoted '$exe_win'" || return 1
    # The program takes the value for its own: it starts with its window hidden.
    start_app "$exe_win"
    app_up || fail "the installed program created no main window" || return 1
    sleep 2
    ! visible "$MAIN_CLASS" || fail "window shown although the Run value names the installed program" || return 1
    stop_all
    reg delete "$RUN_KEY" /v VORLANKE /f
    start_app "$exe_win"
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "the installed program showed no window" || return 1
    drive click "$MAIN_CLASS" monitor-box >/dev/null || fail "no monitor check box" || return 1
    poll 10 eval 'test -n "$(run_entry)"' || fail "the program wrote no Run value" || return 1
    [ "$(run_entry)" = "$by_setup" ] || fail "the program writes '$(run_entry)', Setup wrote '$by_setup'" || return 1
    stop_all

    # Another folder, chosen with /D, without a blank: the plain path.
    mkdir -p "$CASE_FOLDERS/elsewhere"
    local dir_win
    dir_win="$(windows_path "$CASE_FOLDERS/elsewhere")\\Quillcrest"
    install_silently /StartWithWindows "/D=$dir_win" || return 1
    [ "$INSTDIR_WIN" = "$dir_win" ] || fail "installed in '$INSTDIR_WIN', expected '$dir_win'" || return 1
    [ "$(run_entry)" = "$dir_win\\Quillcrest.exe" ] || fail "Run value '$(run_entry)', expected '$dir_win\\Quillcrest.exe'" || return 1
    uninstall_silently || return 1
    [ -z "$(run_entry)" ] || fail "the Run value outlived the uninstallation: $(run_entry)" || return 1
}

# Setup driven through its pages as a user would, with a look at each. Its finish page hands the program to the
# shell (explorer.exe), which starts it with the desktop's own token; under Wine every token is elevated, so what
# shows here is who started the program.
setup_pages_install_and_the_finish_page_starts_the_program_through_the_shell() {
    [ -f "$SETUP" ] || fail "no $SETUP" || return 1
    know_setup_folders || fail "the prefix's folders could not be read" || return 1
    SETUP_DIRTY=1
    # To a file, not a pipe: the started programs inherit Setup's output and would hold a pipe open.
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d" WINEDEBUG=+process \
        timeout 120 wine "$SETUP" >/dev/null 2>"$SETUP_TRACE" &
    APP_PIDS+=("$!")
    # The program that the finish page starts through the shell.
    end_with_the_case_what_trace_shows "$SETUP_TRACE" Quillcrest.exe
    local heading
    drive wait '#32770' "$SETUP_WINDOW" 30000 visible >/dev/null || fail "no Setup window" || return 1
    # The pointer away from the pages, so that no item under it is shown as pointed at.
    xdotool mousemove 0 0
    sleep 0.5
    heading=$(drive text '#32770' $SETUP_PAGE_HEADING | tr -d '\r')
    [ "$heading" = "Choose Components" ] || fail "first page: '$heading'" || return 1
    screenshot setup-components "^${SETUP_WINDOW}\$"
    drive click-box "$SETUP_WINDOW" $SETUP_NEXT >/dev/null || fail "no \"Next\" button" || return 1

    poll 10 eval '[ "$(drive text "#32770" $SETUP_PAGE_HEADING | tr -d "\r")" = "Choose Install Location" ]' ||
        fail "no folder page" || return 1
    local folder
    folder=$(drive text '#32770' $SETUP_FOLDER_EDIT | tr -d '\r')
    [ "${folder%\\}" = "$PROGRAM_FILES_WIN\\Quillcrest" ] || fail "folder offered: '$folder'" || return 1
    sleep 0.3
    screenshot setup-folder "^${SETUP_WINDOW}\$"
    drive click-box "$SETUP_WINDOW" $SETUP_NEXT >/dev/null

    # The installation page stays until "Next", so that its details can be read.
    poll 60 eval '[ "$(drive text "#32770" $SETUP_PAGE_HEADING | tr -d "\r")" = "Installation Complete" ]' ||
        fail "the installation did not complete" || return 1
    sleep 0.3
    screenshot setup-installed "^${SETUP_WINDOW}\$"
    drive click-box "$SETUP_WINDOW" $SETUP_NEXT >/dev/null

    poll 10 eval 'drive children "#32770" | tr -d "\r" | grep -q "^$FINISH_RUN_BOX|Button|&Run Quillcrest|1$"' ||
        fail "no \"Run Quillcrest\" box on the finish page" || return 1
    [ "$(drive checked '#32770' $FINISH_RUN_BOX | tr -d '\r')" = 1 ] || fail "\"Run Quillcrest\" not ticked" || return 1
    [ "$(drive checked '#32770' $FINISH_README_BOX | tr -d '\r')" = 0 ] || fail "\"Show Readme\" ticked" || return 1
    sleep 0.3
    screenshot setup-finish "^${SETUP_WINDOW}\$"
    drive click-box "$SETUP_WINDOW" $SETUP_NEXT >/dev/null

    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "the finish page started no program" || return 1
    poll 20 eval '[ "$(drive count "#32770" | tr -d "\r")" = 0 ]' || fail "the Setup window stayed" || return 1
    [ -f "$(unix_path "$PROGRAM_FILES_WIN\\Quillcrest")/Quillcrest.exe" ] || fail "nothing installed" || return 1
    local problem
    problem=$(program_started_through_the_shell "$SETUP_TRACE" "$PROGRAM_FILES_WIN\\Quillcrest\\Quillcrest.exe" 2>&1) ||
        fail "$problem" || return 1
}

# Rows of the carry-over of an installation for one user, fields separated by "|":
#   name
#   its folder: "default" (the user's local application data) or a folder under CASE_FOLDERS
#   registered under HKCU: yes or no
#   the allowed list already in Program Files\Quillcrest before Setup runs ("-": none)
#   the earlier folder's allowed list ("-": none; {long} stands for a line of 1100 characters)
#   the Run value before ("-": none; {earlier} names the earlier program, {EARLIER} the same in capitals)
#   the Run value after ({new} is the value naming the installed program)
#   the allowed list in Program Files\Quillcrest after ("-": none)
#   files of the user's own in the earlier folder, which stay
#   whether the earlier allowed list stays (yes when it could not be carried over)
CARRY_OVER_ROWS=(
    # Registered in a folder with a blank; the lists are joined, and an entry is not repeated when it differs
    # only in letter case; the quoted Run value in capitals names the earlier program.
    'registered_elsewhere_joins_the_lists|per user/Quillcrest|yes|127.0.0.1\r\n127.0.0.2\r\nLOCALHOST\r\n|127.0.0.2\n127.0.0.3\rlocalhost\r\n\r\n127.0.0.4|"{EARLIER}"|{new}|127.0.0.1\r\n127.0.0.2\r\nLOCALHOST\r\n127.0.0.3\r\n\r\n127.0.0.4\r\n|notes.txt|no'
    # Not registered, in the default folder: its list is copied as the program reads it (nothing after a NUL),
    # and a Run value of another program stays.
    'unregistered_default_folder_copies_the_list|default|no|-|127.0.0.5\r\n\r\n127.0.0.6\x00127.0.0.7\r\n|C:\Other\Quillcrest.exe|C:\Other\Quillcrest.exe|127.0.0.5\r\n\r\n127.0.0.6\r\n||no'
    # A line too long to compare: neither list changes, the earlier one stays where it is.
    'a_line_too_long_keeps_both_lists|default|yes|127.0.0.1\r\n|127.0.0.9\r\n{long}\r\n|{earlier}|{new}|127.0.0.1\r\n||yes'
)

setup_carries_a_per_user_installation_over_and_removes_it() {
    local row
    for row in "${CARRY_OVER_ROWS[@]}"; do
        carry_over_row "$row" || return 1
        reset_settings
    done
}

# A Run value of a row with its placeholders replaced (EARLIER_EXE_WIN and NEW_RUN_VALUE name the programs).
expand_run_value() {  # template
    local value=$1
    value=${value//\{earlier\}/$EARLIER_EXE_WIN}
    value=${value//\{EARLIER\}/${EARLIER_EXE_WIN^^}}
    value=${value//\{new\}/$NEW_RUN_VALUE}
    printf '%s' "$value"
}

carry_over_row() {
    local name folder registered list_before earlier_list run_before run_after list_after own_files earlier_list_stays
    IFS='|' read -r name folder registered list_before earlier_list run_before run_after list_after own_files \
        earlier_list_stays <<<"$1"
    know_setup_folders || fail "$name: the prefix's folders could not be read" || return 1
    local earlier_win
    if [ "$folder" = default ]; then
        earlier_win=$PER_USER_DIR_WIN
    else
        mkdir -p "$CASE_FOLDERS"
        earlier_win="$(windows_path "$CASE_FOLDERS")\\${folder//\//\\}"
    fi
    local long
    long=$(printf '1%.0s' $(seq 1 1100))
    earlier_list=${earlier_list//\{long\}/$long}
    plant_per_user_installation "$earlier_win" "$registered" "$earlier_list" || fail "$name: could not plant" || return 1
    local earlier_dir own
    earlier_dir=$(unix_path "$earlier_win")
    for own in $own_files; do
        printf 'the user'"'"'s own\r\n' >"$earlier_dir/$own"
    done
    local new_win="$PROGRAM_FILES_WIN\\Quillcrest"
    local new_dir
    new_dir=$(unix_path "$new_win")
    if [ "$list_before" != - ]; then
        mkdir -p "$new_dir"
        printf '%b' "$list_before" >"$new_dir/AllowedDNS.txt"
    fi
    EARLIER_EXE_WIN="$earlier_win\\Quillcrest.exe"
    NEW_RUN_VALUE="\"$new_win\\Quillcrest.exe\""
    [ "$run_before" = - ] || reg add "$RUN_KEY" /v VORLANKE /d "$(expand_run_value "$run_before")" /f
    run_after=$(expand_run_value "$run_after")
    plant_user_records

    install_silently || fail "$name: Setup failed" || return 1
    [ "$INSTDIR_WIN" = "$new_win" ] || fail "$name: installed in '$INSTDIR_WIN'" || return 1
    [ -f "$new_dir/Quillcrest.exe" ] || fail "$name: the new installation lacks its program" || return 1
    if [ "$list_after" = - ]; then
        [ ! -e "$new_dir/AllowedDNS.txt" ] || fail "$name: an allowed list appeared" || return 1
    else
        cmp -s "$new_dir/AllowedDNS.txt" <(printf '%b' "$list_after") ||
            fail "$name: allowed list $(od -c "$new_dir/AllowedDNS.txt" | head -n 5)" || return 1
    fi
    [ ! -e "$new_dir/AllowedDNS.txt.new" ] || fail "$name: a temporary list left behind" || return 1
    local remaining expected_remaining
    remaining=$(ls -A "$earlier_dir" 2>/dev/null | sort | tr '\n' ' ')
    expected_remaining=$({
        for own in $own_files; do echo "$own"; done
        [ "$earlier_list_stays" = yes ] && echo AllowedDNS.txt
    } | sort | tr '\n' ' ')
    [ "$remaining" = "$expected_remaining" ] || fail "$name: the earlier folder holds '$remaining', expected '$expected_remaining'" || return 1
    if [ -z "$expected_remaining" ]; then
        [ ! -e "$earlier_dir" ] || fail "$name: the earlier folder stayed" || return 1
    fi
    if [ "$earlier_list_stays" = yes ]; then
        cmp -s "$earlier_dir/AllowedDNS.txt" <(printf '%b' "$earlier_list") || fail "$name: the earlier list changed" || return 1
    fi
    per_user_registration_gone || fail "$name: the earlier registration stayed" || return 1
    [ ! -e "$USER_START_MENU/Quillcrest.lnk" ] || fail "$name: the earlier shortcut stayed" || return 1
    [ "$(run_entry)" = "$run_after" ] || fail "$name: Run value '$(run_entry)', expected '$run_after'" || return 1
    user_records_kept || fail "$name: the user's DNS records changed" || return 1
}

# A registration under HKCU can name any folder, and Setup runs elevated: it deletes only in a folder named
# after the product. An installation elsewhere stays whole, registration, shortcut and Run value included.
setup_leaves_a_per_user_installation_in_a_folder_of_another_name_alone() {
    know_setup_folders || fail "the prefix's folders could not be read" || return 1
    mkdir -p "$CASE_FOLDERS"
    local earlier_win
    earlier_win="$(windows_path "$CASE_FOLDERS")\\DNS Guard"
    plant_per_user_installation "$earlier_win" yes '127.0.0.5\r\n' || fail "could not plant" || return 1
    reg add "$RUN_KEY" /v VORLANKE /d "\"$earlier_win\\Quillcrest.exe\"" /f
    install_silently || return 1
    local earlier_dir
    earlier_dir=$(unix_path "$earlier_win")
    [ "$(ls -A "$earlier_dir" | tr '\n' ' ')" = "AllowedDNS.txt Quillcrest.exe README.txt Uninstall.exe " ] ||
        fail "the earlier folder holds: $(ls -A "$earlier_dir")" || return 1
    [ ! -e "$INSTDIR/AllowedDNS.txt" ] || fail "a list was carried from a folder left alone" || return 1
    [ "$(reg_value "$PER_USER_UNINSTALL_KEY" InstallLocation)" = "$earlier_win" ] || fail "the earlier registration changed" || return 1
    [ -e "$USER_START_MENU/Quillcrest.lnk" ] || fail "the earlier shortcut went" || return 1
    [ "$(run_entry)" = "\"$earlier_win\\Quillcrest.exe\"" ] || fail "the earlier Run value changed: $(run_entry)" || return 1
}

# An installation for one user that is the all-users folder itself, by another spelling of its path (here a
# link): its files are the new installation's, so they and the allowed list stay; its HKCU traces go.
setup_over_a_per_user_installation_in_its_own_folder_keeps_the_files() {
    install_silently || return 1
    printf '127.0.0.8\r\n' >"$INSTDIR/AllowedDNS.txt"
    mkdir -p "$CASE_FOLDERS/linked"
    ln -s "$INSTDIR" "$CASE_FOLDERS/linked/Quillcrest"
    local earlier_win
    earlier_win="$(windows_path "$CASE_FOLDERS/linked")\\Quillcrest"
    plant_per_user_installation "$earlier_win" yes '127.0.0.8\r\n' || fail "could not plant" || return 1
    install_silently || return 1
    local f
    for f in Quillcrest.exe README.txt Uninstall.exe; do
        [ -f "$INSTDIR/$f" ] || fail "$f gone from $INSTDIR" || return 1
    done
    cmp -s "$INSTDIR/Quillcrest.exe" "$BUILD/Quillcrest.exe" || fail "the installed program changed" || return 1
    [ "$(cat "$INSTDIR/AllowedDNS.txt" 2>/dev/null)" = $'127.0.0.8\r' ] || fail "allowed list: $(od -c "$INSTDIR/AllowedDNS.txt")" || return 1
    per_user_registration_gone || fail "the earlier registration stayed" || return 1
    [ ! -e "$USER_START_MENU/Quillcrest.lnk" ] || fail "the earlier shortcut stayed" || return 1
}

silent_uninstall_removes_the_program_and_keeps_the_records() {
    install_silently /StartWithWindows || return 1
    [ -n "$(run_entry)" ] || fail "no Run value to remove" || return 1
    plant_records
    uninstall_silently || return 1
    [ ! -e "$INSTDIR/README.txt" ] || fail "README.txt left behind" || return 1
    [ ! -e "$ALL_USERS_START_MENU/Quillcrest.lnk" ] || fail "Start-menu shortcut left behind" || return 1
    uninstall_registration_gone || fail "uninstall registration left behind" || return 1
    [ -z "$(run_entry)" ] || fail "Run value left behind: $(run_entry)" || return 1
    [ "$(reg_value "$INTERFACES_KEY\\$TEST_INTERFACE" "Default NameServers")" = 127.0.0.5 ] ||
        fail "the silent uninstallation removed the user's DNS records" || return 1
    [ "$(reg_value "$TCPIP_INTERFACES_KEY\\$TEST_INTERFACE" OrigDNS)" = 127.0.0.5 ] ||
        fail "the silent uninstallation removed an interface's OrigDNS" || return 1
    [ "$(cat "$INSTDIR/AllowedDNS.txt" 2>/dev/null)" = $'127.0.0.5\r' ] ||
        fail "the silent uninstallation removed the allowed list" || return 1
}

uninstall_answered_no_removes_the_records_and_leaves_another_run_value() {
    install_silently || return 1
    reg add "$RUN_KEY" /v VORLANKE /d 'C:\Old\Quillcrest.exe' /f
    plant_records
    setup_run "$INSTDIR/Uninstall.exe" || fail "Uninstall.exe did not start" || return 1
    drive wait '#32770' "$UNINSTALL_WINDOW" 30000 visible >/dev/null || fail "no uninstaller window" || return 1
    sleep 0.5
    screenshot uninstall-confirm "^${UNINSTALL_WINDOW}\$"
    drive click-box "$UNINSTALL_WINDOW" $IDOK >/dev/null || fail "no \"Uninstall\" button" || return 1
    local text
    text=$(drive box "$UNINSTALL_BOX" 30000 | tr -d '\r') || fail "the uninstaller did not ask about the records" || return 1
    [[ "$text" == "Keep the recorded DNS settings and the list of allowed DNS servers?"* ]] || fail "question: $text" || return 1
    screenshot uninstall-question "^${UNINSTALL_BOX}\$"
    drive click-box "$UNINSTALL_BOX" $IDNO >/dev/null
    poll 30 program_files_gone || fail "program files still there" || return 1
    poll 10 eval '[ ! -d "$INSTDIR" ]' || fail "folder left behind holding: $(ls -A "$INSTDIR")" || return 1
    [ -z "$(reg_value "$INTERFACES_KEY\\$TEST_INTERFACE" "Default NameServers")" ] || fail "the user's DNS records kept" || return 1
    [ -z "$(reg_value "$TCPIP_INTERFACES_KEY\\$TEST_INTERFACE" OrigDNS)" ] || fail "OrigDNS kept" || return 1
    [ "$(run_entry)" = 'C:\Old\Quillcrest.exe' ] || fail "the Run value of another program changed: '$(run_entry)'" || return 1
    uninstall_registration_gone || fail "uninstall registration left behind" || return 1
    [ ! -e "$ALL_USERS_START_MENU/Quillcrest.lnk" ] || fail "Start-menu shortcut left behind" || return 1
    # "Close" on the last page ends the uninstaller.
    drive click-box "$UNINSTALL_WINDOW" $IDOK >/dev/null
    poll 20 eval '[ "$(drive count "#32770" | tr -d "\r")" = 0 ]' || fail "the uninstaller window stayed" || return 1
}

portable_zip_runs_from_a_folder_of_its_own() {
    [ -f "$PORTABLE_ZIP" ] || fail "no $PORTABLE_ZIP" || return 1
    local dir="$ARTIFACTS/portable" names
    rm -rf "$dir"
    mkdir -p "$dir"
    names=$(python3 - "$PORTABLE_ZIP" "$dir" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    z.extractall(sys.argv[2])
    print(" ".join(sorted(n for n in z.namelist() if not n.endswith("/"))))
EOF
    ) || fail "the zip could not be unpacked" || return 1
    [ "$names" = "Quillcrest/Quillcrest.exe Quillcrest/README.txt" ] || fail "the zip holds: $names" || return 1
    cmp -s "$dir/Quillcrest/Quillcrest.exe" "$BUILD/Quillcrest.exe" || fail "the zip's program differs from the built one" || return 1
    cmp -s "$dir/Quillcrest/README.txt" "$QC_ROOT/installer/README-portable.txt" || fail "the zip's read-me is not the portable one" || return 1
    program_shows_its_window_and_ends "$dir/Quillcrest/Quillcrest.exe" portable-main-window
}
