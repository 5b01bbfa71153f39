# The helpers every end-to-end case uses: finding and working the program's windows through qcdriver.exe,
# the registry, the tray, the watch's timers, the lookup tool's peer and the quiet pages, and the start and end
# of the processes a case runs. Sourced by run_e2e.sh after it has set BUILD, ARTIFACTS, SHOTS, APPDIR and APP.

MAIN_CLASS=TForm6
MAIN_CAPTION="Quillcrest From Fernwhistle "
RUN_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
APP_DEFAULTS='HKCU\Software\Wine\AppDefaults\Quillcrest.exe'
WM_CLOSE=0x0010
IDOK=1
START_UP_ID=monitor-box

drive() { wine "$BUILD/qcdriver.exe" "$@"; }
reg() { wine reg "$@" >/dev/null 2>&1; }

fail() {
    echo "    $*"
    return 1
}

screenshot() {  # name caption-regex
    local id
    id=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n 1)
    if [ -n "$id" ]; then
        import -display "$DISPLAY" -window "$id" "$SHOTS/$1.png" 2>/dev/null
    fi
    import -display "$DISPLAY" -window root "$SHOTS/$1-screen.png" 2>/dev/null
}

# Starts a copy of the program in the background; sets LAST_PID. Wine's trace of the DLLs it loads, each line
# headed by the process's Windows id (+pid), tells stop_all which windows are this copy's.
start_app() {  # exe
    mkdir -p "$START_TRACES"
    local trace="$START_TRACES/start-$((${#START_TRACE_OF[@]} + 1)).log"
    WINEDEBUG=+pid,+loaddll wine "$1" >/dev/null 2>"$trace" &
    LAST_PID=$!
    APP_PIDS+=("$LAST_PID")
    START_TRACE_OF[$LAST_PID]=$trace
}

# Waits for a started copy to end and sets EXIT_CODE to its exit code (or "timeout"). Not for use inside $(...):
# only this shell can reap its children.
wait_exit() {  # pid seconds
    local i
    EXIT_CODE=timeout
    for i in $(seq 1 $(($2 * 10))); do
        if ! running_child "$1"; then
            wait "$1"
            EXIT_CODE=$?
            forget_pid "$1"
            return 0
        fi
        sleep 0.1
    done
}

run_entry() { wine reg query "$RUN_KEY" /v VORLANKE 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p'; }

value_of() { grep -E "^$1=" | head -n 1 | cut -d= -f2-; }

# Ends every process the case started (see "the processes a case starts" below): the main windows of the copies
# started with start_app are asked to close, and what has not ended 10 seconds later is ended.
stop_all() {
    close_started_main_windows
    end_windows_processes
    local pid
    for pid in "${APP_PIDS[@]}"; do
        wait_exit "$pid" 10
        [ "$EXIT_CODE" = timeout ] && end_child "$pid"
    done
    APP_PIDS=()
    true
}

reset_settings() {
    reg delete "$RUN_KEY" /v VORLANKE /f
    reg delete "$APP_DEFAULTS" /f
    reg delete "$RECORDS_KEY" /f
    rm -f "$APPDIR/AllowedDNS.txt" "$APPDIR"/DNSBaseline.txt*
    local step
    for step in "${E2E_RESET_STEPS[@]}"; do "$step"; done
    true
}

# --- helpers for the watch and the tray ----------------------------------------------------------------------

RECORDS_KEY='HKCU\Software\Brenholt\Quillcrest'
INTERFACES_KEY="$RECORDS_KEY\\Interfaces"
WM_COMMAND=0x0111
WM_TIMER=0x0113
WM_SYSCOMMAND=0x0112
WM_KEYDOWN=0x0100
WM_KEYUP=0x0101
SC_MINIMIZE=0xF020
SC_CLOSE=0xF060
RECENT_CHECK_TIMER=1
DEFAULT_CHECK_TIMER=2
IDYES=6
IDNO=7
NOTICE_FIRST_BUTTON=1001  # "OK" in the alert and exit dialogs; the second button ("Fix It"/"Fix it") is 1002

# reg_value KEY NAME: the data of a registry value, empty when it is missing.
reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }

# The interface whose key holds "Default NameServers": the preferred adapter.
preferred_interface() {
    wine reg query "$INTERFACES_KEY" /s 2>/dev/null | tr -d '\r' | awk '/^HKEY/ {key=$0} /Default NameServers/ {print key; exit}'
}

app_up() {  # waits for the main window to exist (shown or not)
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 >/dev/null
}

visible() { [ "$(drive info "$1" | tr -d '\r' | value_of visible)" = 1 ]; }

poll() {  # seconds command...: runs the command until it succeeds
    local seconds=$1 i
    shift
    for i in $(seq 1 $((seconds * 5))); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}

tray_icon_is() { [ "$(drive tray-icon exists 2>/dev/null | tr -d '\r')" = "$1" ]; }
tray_active() { poll 30 tray_icon_is 1; }

# Real mouse input on the icon in Wine's own tray window (there is no other notification area on the display).
click_tray_icon() {  # xdotool click arguments
    local tray
    tray=$(xdotool search --name '^Wine System Tray$' 2>/dev/null | head -n 1)
    [ -n "$tray" ] || return 1
    xdotool mousemove --window "$tray" 12 32 "$@"
}

# Opens the tray menu with a real press of the right button, and lets go of the button away from the menu, so the
# release chooses nothing.
open_tray_menu() {
    click_tray_icon mousedown 3 || return 1
    poll 5 eval 'drive menu-item 0 2 >/dev/null' || return 1
    xdotool mousemove 600 600 mouseup 3
}

# Clicks item INDEX of the open popup menu (the tray's and the Close button's have two items) with the mouse.
click_menu_item() {
    local x y
    read -r x y < <(drive menu-item "$1" 2 | tr -d '\r') || return 1
    xdotool mousemove "$x" "$y" click 1
}

# A real click with the mouse at a point of the main window's client area.
click_main_window_at() {  # client-x client-y
    local main frame client left top right bottom cw ch
    main=$(xdotool search --onlyvisible --name "^${MAIN_CAPTION}\$" 2>/dev/null | head -n 1)
    [ -n "$main" ] || return 1
    frame=$(drive info "$MAIN_CLASS" | tr -d '\r' | value_of frame)
    client=$(drive info "$MAIN_CLASS" | tr -d '\r' | value_of client)
    IFS=, read -r left top right bottom <<<"$frame"
    IFS=x read -r cw ch <<<"$client"
    local border=$(((right - left - cw) / 2))
    local caption=$((bottom - top - ch - border))
    xdotool mousemove --window "$main" $((border + $1)) $((caption + $2)) click 1
}

# Opens the Close button's drop-down menu with a real click on the button's arrow.
open_close_menu() {
    # The arrow is the last few pixels of the Close button, which ends 12 pixels from the right edge of the
    # 436 x 290 client area and sits in the middle of the 44-pixel bottom panel.
    click_main_window_at $((436 - 20)) $((290 - 22)) || return 1
    poll 5 eval 'drive menu-item 0 2 >/dev/null'
}

tick() { drive post "$MAIN_CLASS" $WM_TIMER "$1" 0 >/dev/null; }


# TCP/IP's own per-adapter keys, where the program keeps "OrigDNS".
TCPIP_INTERFACES_KEY='HKLM\SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\Interfaces'
# An interface key of the cases' own, beside the prefix's real ones.
TEST_INTERFACE='{0E2E5E70-0000-4000-8000-000000000001}'

# --- helpers for the lookup tool -------------------------------------------------------------------------------

WM_LBUTTONDOWN=0x0201
WM_LBUTTONUP=0x0202
VK_TAB=0x09
VK_RETURN=0x0D
BROWSER_LOG="$ARTIFACTS/browser.log"

start_lookup_peer() {  # reply template ("{server}" stands for the asked address)
    python3 "$QC_ROOT/tests/e2e/lookup_peer.py" 6066 "$1" >/dev/null 2>&1 &
    LOOKUP_PEER_PID=$!
    sleep 0.3
}

stop_lookup_peer() {
    [ -n "$LOOKUP_PEER_PID" ] || return 0
    kill "$LOOKUP_PEER_PID" 2>/dev/null
    wait "$LOOKUP_PEER_PID" 2>/dev/null
    LOOKUP_PEER_PID=""
}

# Wine hands web addresses to the programs named here instead of a browser: this one only writes them down.
install_browser_hook() {
    local hook="$ARTIFACTS/browser-hook.sh"
    printf '#!/bin/sh\nprintf "%%s\\n" "$@" >>"%s"\n' "$BROWSER_LOG" >"$hook"
    chmod +x "$hook"
    rm -f "$BROWSER_LOG"
    reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$hook" /f
}

open_lookup_window() {
    drive post-child "$MAIN_CLASS" check-dns $WM_LBUTTONDOWN 1 0 >/dev/null
    drive post-child "$MAIN_CLASS" check-dns $WM_LBUTTONUP 0 0 >/dev/null
    drive wait TDNSCheck "Quillcrest Lookup Tool" 10000 visible >/dev/null
}

report_text() { drive text TDNSCheck lookup-report | tr -d '\r'; }

# Makes the stored default differ from the machine's servers and starts with the box ticked (window hidden).
start_with_a_changed_default() {
    start_app "$APP"
    app_up || return 1
    poll 20 eval 'test -n "$(preferred_interface)"' || return 1
    PREFERRED=$(preferred_interface)
    CURRENT=$(reg_value "$PREFERRED" "Startup NameServers")
    stop_all
    reg add "$PREFERRED" /v "Default NameServers" /d 127.0.0.99 /f
    local winpath
    winpath=$(winepath -w "$APP" 2>/dev/null | tr -d '\r')
    reg add "$RUN_KEY" /v VORLANKE /d "$winpath" /f
    start_app "$APP"
    app_up
}

# --- the quiet pages ---------------------------------------------------------------------------------------------

# Every case runs with a quiet message page (no limits, so never shown) served from the addresses the program
# fetches its pages from: without a server the program would report the failed message fetch 20 seconds after
# each start, and with site/'s page the message would pop up on top of whatever a case is looking at.
PAGES_SERVER_DIR="$ARTIFACTS/pages-server"
QUIET_SITE="$ARTIFACTS/quiet-site"

# Serves the quiet pages: site/ with a message page that sets no limits.
serve_quiet_pages() {
    qc_stop_pages_server
    rm -rf "$QUIET_SITE"
    mkdir -p "$QUIET_SITE"
    cp "$QC_ROOT/site/"* "$QUIET_SITE/"
    printf '<html><head><meta name="adID" content="quiet"></head><body>Nothing to say.</body></html>\n' \
        >"$QUIET_SITE/odnsad.html"
    qc_start_pages_server "$PAGES_SERVER_DIR" "$QUIET_SITE"
}

# --- the processes a case starts -------------------------------------------------------------------------------
#
# The run ends the processes it started, and only those (whatever else runs in the prefix, of whatever program):
# with the case that started them (stop_all), or with the run when it is cut short (end_started_processes).
# - Started from this shell in the background (start_app, or `wine ... &` followed by APP_PIDS+=("$!")): under
#   Wine the Unix process is the Windows process. The main window of a start_app copy (whose Windows id its
#   start's trace gives) is asked to close; 10 seconds later what still runs is killed (SIGKILL, as
#   TerminateProcess would end it). Whether it still runs comes from bash's own list of its
#   children, never from its id alone, which the system may have given to another process since.
# - Started through the driver (`drive start-limited`, `drive runas`): a Windows process, whose id and start time
#   the driver prints; track_driver_start records them and `drive end` ends it (TerminateProcess) while that id
#   still belongs to the process that started then.
# - Started by a program the run started (the program through Setup's finish page, the uninstaller's copy Un.exe,
#   an elevated copy the program would start): the starter runs with Wine's process trace (WINEDEBUG=+process),
#   which gives the started program and its id; it is then recorded and ended like the driver's.
# Programs that end by themselves within a case (a second copy, Setup and the uninstaller, wineboot) are waited
# for and, when they do not end, ended the same way.

# Windows processes to end with the case, "PID STARTED" each, and process traces to read for more when it ends,
# "TRACE|PROGRAM" each.
WINDOWS_PROCESSES=()
TRACED_STARTS=()
# The trace of each start_app copy by the copy's Unix id.
START_TRACES="$ARTIFACTS/starts"
declare -A START_TRACE_OF=()

# WM_CLOSE to the main windows of the start_app copies that still run, found by their Windows ids, and to no
# other window of the class.
close_started_main_windows() {
    local pid hex ids=()
    for pid in "${APP_PIDS[@]}"; do
        [ -n "${START_TRACE_OF[$pid]:-}" ] && running_child "$pid" || continue
        hex=$(sed -n 's/^\([0-9a-f]\{1,8\}\):[0-9a-f]\{1,8\}:trace:loaddll:.*/\1/p' "${START_TRACE_OF[$pid]}" | head -n 1)
        [ -n "$hex" ] && ids+=("$((16#$hex))")
    done
    [ ${#ids[@]} -eq 0 ] || drive close "$MAIN_CLASS" "${ids[@]}" >/dev/null 2>&1
}

# Whether the process is a child of this shell that still runs.
running_child() {  # pid
    [[ " $(jobs -rp | tr '\n' ' ') " == *" $1 "* ]]
}

# Takes a process out of APP_PIDS once it has been reaped: its id may belong to another process from now on.
forget_pid() {  # pid
    local kept=() pid
    for pid in "${APP_PIDS[@]}"; do
        [ "$pid" = "$1" ] || kept+=("$pid")
    done
    APP_PIDS=("${kept[@]}")
}

end_child() {  # pid
    running_child "$1" && kill -KILL "$1" 2>/dev/null
    wait "$1" 2>/dev/null
    forget_pid "$1"
}

track_windows_process() {  # pid started
    [ -n "$1" ] && [ -n "$2" ] && WINDOWS_PROCESSES+=("$1 $2")
    true
}

# Records the process a driver command started, from the "pid=" and "started=" lines it wrote to the file.
track_driver_start() {  # file
    local printed
    printed=$(tr -d '\r' <"$1" 2>/dev/null)
    track_windows_process "$(value_of pid <<<"$printed")" "$(value_of started <<<"$printed")"
}

# The processes a process trace (WINEDEBUG=+process) shows started, "PID PROGRAM" a line: the id in decimal, the
# program as the file name its start named (the application, or else the command line's first word).
processes_started_in_trace() {  # trace
    python3 - "$1" <<'EOF'
import re, sys
creation = re.compile(r'^([0-9a-f]+):trace:process:CreateProcessInternalW app (.*) cmdline (.*)$')
started = re.compile(r'^([0-9a-f]+):trace:process:CreateProcessInternalW started process pid ([0-9a-f]+) ')
try:
    lines = open(sys.argv[1], "rb").read().decode("utf-8", "replace").splitlines()
except OSError:
    sys.exit(0)
pending = {}
for line in lines:
    m = creation.match(line)
    if m:
        # The trace writes L"C:\\dir\\prog.exe" and L"\"C:\\dir\\prog.exe\" /x".
        text = m.group(2) if m.group(2) != "(null)" else m.group(3)
        text = text[2:] if text.startswith('L"') else text
        text = text.replace('\\"', '"').replace('\\\\', '\\')
        path = text[1:].split('"')[0] if text.startswith('"') else re.split(r'[ "]', text)[0]
        pending[m.group(1)] = path.replace("/", "\\").split("\\")[-1]
        continue
    m = started.match(line)
    if m and m.group(1) in pending:
        print(int(m.group(2), 16), pending.pop(m.group(1)))
EOF
}

# Records every process running the program (a file name) that the trace shows started and that still runs it.
track_started_in_trace() {  # trace program
    local pid program started
    while read -r pid program; do
        [ "${program,,}" = "${2,,}" ] || continue
        started=$(drive started "$pid" "$2" 2>/dev/null | tr -d '\r' | value_of started)
        track_windows_process "$pid" "$started"
    done < <(processes_started_in_trace "$1")
}

# When the case ends, every process running the program that the trace then shows started ends with it.
end_with_the_case_what_trace_shows() {  # trace program
    TRACED_STARTS+=("$1|$2")
}

end_windows_processes() {
    local traced process
    for traced in "${TRACED_STARTS[@]}"; do
        track_started_in_trace "${traced%%|*}" "${traced#*|}"
    done
    TRACED_STARTS=()
    for process in "${WINDOWS_PROCESSES[@]}"; do
        # Split on purpose: "PID STARTED".
        timeout 30 wine "$BUILD/qcdriver.exe" end $process >/dev/null 2>&1
    done
    WINDOWS_PROCESSES=()
}

# The run's own end, also when it is cut short.
end_started_processes() {
    local pid
    end_windows_processes
    for pid in "${APP_PIDS[@]}"; do end_child "$pid"; done
}
