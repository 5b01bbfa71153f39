# End-to-end cases of changes that need administrator rights; sourced by run_e2e.sh, which provides the helpers.
# Wine has no SetDNSServerSearchOrder, so every DNS change made there ends in the refusal report.

# The Windows command lines the program's processes start other processes with, from Wine's process trace.
ELEVATION_TRACE="$ARTIFACTS/elevation-trace.log"
started_command_lines() { grep -a 'CreateProcessInternalW' "$ELEVATION_TRACE" 2>/dev/null | grep -a 'Quillcrest.exe'; }

# Picks OpenDNS, presses "Apply" and answers the report; echoes the report's text.
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
    drive click-box Quillcrest 1 >/dev/null
    [ -z "$(started_command_lines | grep -E '/set-dns|-run-value')" ] || fail "an elevated process started: $(started_command_lines)" || return 1
}
