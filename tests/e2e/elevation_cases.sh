# End-to-end cases of changes that need administrator rights; sourced by run_e2e.sh, which provides the helpers.
# Wine has no SetDNSServerSearchOrder, so every DNS change there ends in the refusal report.

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

limited_token_changes_go_through_one_elevated_run_each() {
    local winapp winpath started report
    winapp=$(winepath -w "$APP" 2>/dev/null | tr -d '\r')
    # To a file, not a pipe: the started program inherits the driver's output and would hold a pipe open.
    WINEDEBUG=+process drive start-limited "$winapp" >"$ARTIFACTS/limited-start.txt" 2>"$ELEVATION_TRACE"
    started=$(tr -d '\r' <"$ARTIFACTS/limited-start.txt")
    [ "$(value_of elevated <<<"$started")" = 0 ] || fail "the program did not start limited: $started" || return 1
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1

    # Ticking the box writes the Run value through an elevated run that names only the action.
    drive click "$MAIN_CLASS" monitor-box >/dev/null
    poll 20 eval '[ "$(run_entry)" = "$(winepath -w "$APP" 2>/dev/null | tr -d "\r")" ]' ||
        fail "Run entry after ticking: '$(run_entry)'" || return 1
    started_command_lines | grep -qF '/write-run-value' || fail "no elevated run wrote the value" || return 1
    [ "$(drive checked "$MAIN_CLASS" monitor-box | tr -d '\r')" = 1 ] || fail "the box did not stay ticked" || return 1

    # "Apply" sends every adapter in one elevated run; Wine refuses, and the user is told.
    report=$(apply_and_read_report) || fail "no report after Apply" || return 1
    screenshot refusal-report '^Quillcrest$'
    grep -q "were not changed" <<<"$report" || fail "report: $report" || return 1
    [ "$(started_command_lines | grep -c '/set-dns {')" = 1 ] || fail "not one elevated run for Apply: $(started_command_lines)" || return 1
    drive click-box Quillcrest 1 >/dev/null
    sleep 1
    drive children "$MAIN_CLASS" | tr -d '\r' | grep -qE '\|Apply\|1$' || fail "Apply hidden after a refused change" || return 1
    [ "$(drive count '#32770' | tr -d '\r')" = 0 ] || fail "a second report appeared" || return 1
}

elevated_start_changes_in_process_and_reports_the_refusal() {
    local report
    WINEDEBUG=+process wine "$APP" >/dev/null 2>"$ELEVATION_TRACE" &
    APP_PIDS+=("$!")
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1
    report=$(apply_and_read_report) || fail "no report after Apply" || return 1
    grep -q "were not changed" <<<"$report" || fail "report: $report" || return 1
    drive click-box Quillcrest 1 >/dev/null
    [ -z "$(started_command_lines | grep -E '/set-dns|-run-value')" ] || fail "an elevated process started: $(started_command_lines)" || return 1
}
