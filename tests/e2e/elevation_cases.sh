# End-to-end cases of changes that need administrator rights; sourced by run_e2e.sh, which provides the helpers.
# Wine has no SetDNSServerSearchOrder, so every DNS change made there ends in the refusal report.

# The Windows command lines the program's processes start other processes with, from Wine's process trace.
ELEVATION_TRACE="$ARTIFACTS/elevation-trace.log"
started_command_lines() { grep -a 'CreateProcessInternalW' "$ELEVATION_TRACE" 2>/dev/null | grep -a 'Quillcrest.exe'; }

# The elevated run's own window, in which it shows a DNS change and asks before making it.
CONFIRM_CAPTION="Quillcrest: Confirm DNS Change"
METHOD_MISSING="Windows could not change them, because the method is not available on this system"
# The kinds an elevated run's exit code carries in its bits 24-30.
KIND_ERROR=110
KIND_REFUSED_COMMAND_LINE=111
KIND_DECLINED_IN_WINDOW=112
KIND_METHOD_MISSING=125

exit_kind() { echo $((($1 >> 24) & 0x7F)); }

# The first adapter of Wine's that is not the loopback one: sets ADAPTER_ID (its synthetic GUID) and ADAPTER_NAME
# (its connection name), as GetAdaptersAddresses lists them.
pick_adapter() {
    local line
    line=$(drive adapters | tr -d '\r' | awk -F'|' '$3 != 24 && $1 ~ /^\{/ {print; exit}')
    ADAPTER_ID=${line%%|*}
    line=${line#*|}
    ADAPTER_NAME=${line%%|*}
    [ -n "$ADAPTER_ID" ] && [ -n "$ADAPTER_NAME" ]
}

# Starts the program's copy with "runas" and the order, in the background as another program of the user could;
# runas_wait then sets RUNAS_EXIT to its exit code (empty when it did not end within the driver's time-out).
RUNAS_OUT="$ARTIFACTS/runas.txt"
runas_start() {  # order timeout-ms
    rm -f "$RUNAS_OUT"
    drive runas "$(winepath -w "$APP" 2>/dev/null | tr -d '\r')" "$1" "$2" >"$RUNAS_OUT" 2>/dev/null &
    RUNAS_PID=$!
}
runas_wait() {
    wait "$RUNAS_PID"
    RUNAS_EXIT=$(tr -d '\r' <"$RUNAS_OUT" | value_of exit)
}

# Picks OpenDNS, presses "Apply" and answers the report; echoes the report's text. (Wine's adapter configurations
# carry SettingIDs of another form than the GUIDs IP Helper names adapters by, so under Wine the program's own
# changes name adapters by identifier; the runas cases below name a real adapter by IP Helper's GUID.)
apply_and_read_report() {
    drive click "$MAIN_CLASS" use-opendns >/dev/null
    poll 5 eval 'drive children "$MAIN_CLASS" | tr -d "\r" | grep -qE "\|Apply\|1$"' || return 1
    drive click "$MAIN_CLASS" apply >/dev/null
    local text
    # Generous: from a limited start the report waits for a second program to start, bring up WMI and end, which
    # on a loaded machine under Wine can take tens of seconds.
    text=$(drive box Quillcrest 90000 | tr -d '\r') || return 1
    echo "$text"
}

# The words the program uses when it starts no elevated run from a folder the user can change (its reason names
# the program's folder, as Windows writes the path).
unprotected_folder_message() {  # windows-folder
    printf 'The change was not made, because Quillcrest asks for administrator rights only where no program without them can change its files, and its folder "%s" can be changed without administrator rights. Install Quillcrest for all users with its Setup, or start it with "Run as administrator".' "$1"
}

# Under Wine every folder belongs to the user (Wine derives a file's permissions from its Unix mode), so no
# installation is protected: from a limited start the program asks for no administrator rights at all and says
# why at each change that needs them.
limited_token_in_a_folder_the_user_can_change_starts_no_elevated_run() {
    local winapp started message text report
    winapp=$(winepath -w "$APP" 2>/dev/null | tr -d '\r')
    message=$(unprotected_folder_message "${winapp%\\*}")
    # To a file, not a pipe: the started program inherits the driver's output and would hold a pipe open.
    WINEDEBUG=+process drive start-limited "$winapp" >"$ARTIFACTS/limited-start.txt" 2>"$ELEVATION_TRACE"
    started=$(tr -d '\r' <"$ARTIFACTS/limited-start.txt")
    [ "$(value_of elevated <<<"$started")" = 0 ] || fail "the program did not start limited: $started" || return 1
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1

    # Ticking the box turns the watch on, writes no Run value and says why, once.
    drive click "$MAIN_CLASS" monitor-box >/dev/null
    text=$(drive box Quillcrest 30000 | tr -d '\r') || fail "no message after ticking the box" || return 1
    sleep 0.5
    screenshot unprotected-folder '^Quillcrest$'
    [ "$text" = "Quillcrest will watch now but will not start with Windows: $message" ] ||
        fail "message after ticking: $text" || return 1
    drive click-box Quillcrest 1 >/dev/null
    [ "$(drive checked "$MAIN_CLASS" monitor-box | tr -d '\r')" = 1 ] || fail "the box did not stay ticked" || return 1
    [ -z "$(run_entry)" ] || fail "a Run value was written: $(run_entry)" || return 1

    # "Apply" says the same in the general error report and stays shown, the selection pending.
    report=$(apply_and_read_report) || fail "no report after Apply" || return 1
    [ "$report" = "$message" ] || fail "report: $report" || return 1
    drive click-box Quillcrest 1 >/dev/null
    sleep 1
    drive children "$MAIN_CLASS" | tr -d '\r' | grep -qE '\|Apply\|1$' || fail "Apply hidden after a refused change" || return 1
    [ "$(drive count '#32770' | tr -d '\r')" = 0 ] || fail "a second report appeared" || return 1

    # The only program started was the limited start itself.
    [ "$(started_command_lines | grep -c .)" = 1 ] || fail "programs started: $(started_command_lines)" || return 1
}

elevated_start_changes_in_process_and_reports_the_refusal() {
    local report
    WINEDEBUG=+process wine "$APP" >/dev/null 2>"$ELEVATION_TRACE" &
    APP_PIDS+=("$!")
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1
    report=$(apply_and_read_report) || fail "no report after Apply" || return 1
    screenshot refusal-report '^Quillcrest$'
    grep -q "were not changed" <<<"$report" || fail "report: $report" || return 1
    grep -qF "$METHOD_MISSING" <<<"$report" || fail "report does not give the reason in words: $report" || return 1
    [ "$(drive count '#32770' | tr -d '\r')" = 1 ] || fail "a window besides the report: the change asked elsewhere" || return 1
    drive click-box Quillcrest 1 >/dev/null
    [ -z "$(started_command_lines | grep -E '/set-dns|-run-value|-dns-list')" ] || fail "an elevated process started: $(started_command_lines)" || return 1
}

# Another program of the user starts the program's copy with "runas" and an order naming one of Wine's adapters:
# the copy shows which adapter gets which servers in a window of its own, "No" is the default, and "No" changes
# nothing and ends with the declined code.
runas_copy_shows_the_change_and_no_declines() {
    local question focused
    pick_adapter || fail "no adapter: $(drive adapters)" || return 1
    runas_start "/set-dns $ADAPTER_ID=127.0.0.53,127.0.0.54" 60000
    question=$(drive box-text "$CONFIRM_CAPTION" 30000 | tr -d '\r') || fail "no confirmation window" || return 1
    sleep 0.3
    screenshot dns-change-confirmation "^${CONFIRM_CAPTION}\$"
    grep -qF "$ADAPTER_NAME: 127.0.0.53, 127.0.0.54" <<<"$question" || fail "question: $question" || return 1
    grep -qF "$ADAPTER_ID" <<<"$question" && fail "the adapter is named by its GUID: $question" && return 1
    visible '#32770' || fail "the window is hidden, as its starter asked" || return 1
    focused=$(drive focus '#32770' | tr -d '\r')
    [ "$focused" = "$IDNO" ] || fail "the default button is $focused, not No" || return 1
    drive click-box "$CONFIRM_CAPTION" $IDNO >/dev/null
    runas_wait
    [ -n "$RUNAS_EXIT" ] || fail "the copy did not end after No" || return 1
    [ "$(exit_kind "$RUNAS_EXIT")" = $KIND_DECLINED_IN_WINDOW ] || fail "exit code $RUNAS_EXIT after No" || return 1
}

# The SettingID WMI gives the configuration of the adapter with that description; under Wine it is of another
# form than IP Helper's GUID for the same adapter, so only an order naming it reaches the adapter's method.
wmi_setting_id() {  # description
    wine wmic nicconfig get Description,SettingID 2>/dev/null | iconv -f UTF-16LE -t UTF-8 | tr -d '\r' |
        awk -v name="$1" '$1 == name && $2 ~ /^\{/ {print $2; exit}'
}

# "Yes" makes the change. The order names the adapter both ways: by IP Helper's GUID, under which the window
# shows its connection name but WMI finds no adapter (nothing to change), and by WMI's SettingID, under which
# the window can only show the identifier and Wine refuses for want of the method. The exit code names that
# second assignment and says why.
runas_copy_makes_the_change_on_yes() {
    local setting question
    pick_adapter || fail "no adapter: $(drive adapters)" || return 1
    setting=$(wmi_setting_id "$ADAPTER_NAME")
    [ -n "$setting" ] || fail "WMI lists no configuration for $ADAPTER_NAME" || return 1
    runas_start "/set-dns $ADAPTER_ID= $setting=127.0.0.53" 60000
    question=$(drive box-text "$CONFIRM_CAPTION" 30000 | tr -d '\r') || fail "no confirmation window" || return 1
    sleep 0.3
    screenshot dns-change-confirmation-two "^${CONFIRM_CAPTION}\$"
    grep -qF "\n$ADAPTER_NAME: automatic (DHCP)\n$setting: 127.0.0.53\n" <<<"$question" || fail "question: $question" || return 1
    drive click-box "$CONFIRM_CAPTION" $IDYES >/dev/null
    runas_wait
    [ -n "$RUNAS_EXIT" ] || fail "the copy did not end after Yes" || return 1
    [ "$RUNAS_EXIT" = $(((KIND_METHOD_MISSING << 24) | 2)) ] || fail "exit code $RUNAS_EXIT after Yes" || return 1
}

# A malformed order ends at once with the refusal code, and no window waits for an answer.
runas_copy_refuses_a_malformed_order_without_a_window() {
    local order
    pick_adapter || fail "no adapter: $(drive adapters)" || return 1
    for order in "/set-dns (${ADAPTER_ID:1:36})=127.0.0.53" "/set-dns $ADAPTER_ID=00.0.0.1" \
        "/allow-dns-list 127.0.0.53 /write-run-value" "/allow-dns-list 127.0.0.53,"; do
        runas_start "$order" 20000
        runas_wait
        [ -n "$RUNAS_EXIT" ] || fail "\"$order\" did not end by itself" || return 1
        [ "$RUNAS_EXIT" = $((KIND_REFUSED_COMMAND_LINE << 24)) ] || fail "\"$order\" ended with $RUNAS_EXIT" || return 1
    done
    [ "$(drive count '#32770' | tr -d '\r')" = 0 ] || fail "a window is left" || return 1
}

# The list verb writes only beside a protected program, and under Wine no folder is protected: the copy started
# with "runas" by another program writes nothing (not even its temporary file), shows no window and ends with an
# error whose detail is "access denied".
runas_copy_refuses_to_write_beside_itself_in_a_folder_the_user_can_change() {
    local order
    printf '127.0.0.5\r\n' >"$APPDIR/AllowedDNS.txt"
    for order in "/allow-dns-list 127.0.0.53,127.0.0.54" "/allow-dns-list"; do
        runas_start "$order" 20000
        runas_wait
        [ "$(exit_kind "${RUNAS_EXIT:-0}")" = "$KIND_ERROR" ] && [ $((RUNAS_EXIT & 0xFFFFFF)) = 5 ] ||
            fail "exit code '$RUNAS_EXIT' for $order" || return 1
    done
    [ "$(od -An -c "$APPDIR/AllowedDNS.txt" | tr -s ' ')" = "$(printf '127.0.0.5\r\n' | od -An -c | tr -s ' ')" ] ||
        fail "list: $(od -c "$APPDIR/AllowedDNS.txt")" || return 1
    [ ! -e "$APPDIR/AllowedDNS.txt.new" ] || fail "a temporary file was written" || return 1
    [ "$(drive count '#32770' | tr -d '\r')" = 0 ] || fail "a window is left" || return 1
}
