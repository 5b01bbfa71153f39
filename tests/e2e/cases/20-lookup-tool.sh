# End-to-end cases of the lookup tool: against the reference lookup service, and against a peer that answers
# with a warning holding links. Sourced by run_e2e.sh; the helpers are in e2e_helpers.sh.

e2e_cases lookup_tool_reports_what_the_reference_service_answers lookup_tool_warns_and_opens_only_web_links

lookup_tool_reports_what_the_reference_service_answers() {
    qc_start_lookupd 6066 || fail "reference lookup service did not start" || return 1
    start_with_a_changed_default || fail "could not prepare the start" || return 1
    reg delete "$RUN_KEY" /v VORLANKE /f
    stop_all
    start_app "$APP"
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1
    open_lookup_window || fail "the check button opened no lookup window" || return 1
    [ "$(drive children TDNSCheck | tr -d '\r' | grep -c '|Save as Default|1$')" = 0 ] || fail "Save as Default shown before a run" || return 1
    drive click TDNSCheck lookup-check >/dev/null
    drive wait TDNSokDlg Information 30000 visible >/dev/null || fail "no information dialog after a clean run" || return 1
    sleep 0.3
    screenshot lookup-ok '^Information$'
    local text
    text=$(report_text)
    grep -qF "Results for DNS Server 1" <<<"$text" || fail "report: $text" || return 1
    grep -qF "IP Address: ${CURRENT%%,*}" <<<"$text" || fail "report lacks the server: $text" || return 1
    grep -qF "NOT an OpenDNS server" <<<"$text" || fail "report lacks the OpenDNS line: $text" || return 1
    drive click TDNSokDlg $NOTICE_FIRST_BUTTON >/dev/null
    sleep 0.5
    screenshot lookup-report '^Quillcrest Lookup Tool$'
    # The stored default differs from what the service reported: Save as Default is offered and stores it.
    drive children TDNSCheck | tr -d '\r' | grep -q '|Save as Default|1$' || fail "Save as Default not offered" || return 1
    drive click TDNSCheck lookup-save >/dev/null
    poll 10 eval '! visible TDNSCheck' || fail "Save as Default did not close the window" || return 1
    poll 10 eval 'test "$(reg_value "$PREFERRED" "Default NameServers")" = "$CURRENT"' ||
        fail "Default NameServers: $(reg_value "$PREFERRED" "Default NameServers")" || return 1
    grep -q 'answered' "$QC_BUILD/lookupd/requests.log" || fail "the service logged no request" || return 1
}

lookup_tool_warns_and_opens_only_web_links() {
    install_browser_hook
    # A public server address: for private ones the report shows no warning, whatever the service says.
    start_lookup_peer '127.0.0.1;85.255.112.5;rogue.example.invalid;Romania;Romania;<a href="file:///C:/windows/system32/notepad.exe">local file</a> and <a href="http://127.0.0.1:9/rogue-help">help</a>'
    start_app "$APP"
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1
    open_lookup_window || fail "the check button opened no lookup window" || return 1
    drive click TDNSCheck lookup-check >/dev/null
    local text
    text=$(drive box Quillcrest 30000 | tr -d '\r') || fail "no warning box" || return 1
    [[ "$text" == 'Warnings found: 1\r\n\r\nIf your results indicate'* ]] || fail "warning box: $text" || return 1
    grep -qF "please click on the link shown for more information." <<<"$text" || fail "warning box: $text" || return 1
    screenshot lookup-warning '^Quillcrest$'
    drive click-box Quillcrest $IDOK >/dev/null
    sleep 0.5
    screenshot lookup-warning-report '^Quillcrest Lookup Tool$'
    grep -qF "Warnings: local file and help" <<<"$(report_text)" || fail "report: $(report_text)" || return 1
    # Tab reaches the links in order and Enter follows them: the file: address opens nothing, the web one does.
    local view_id
    view_id=$(drive id lookup-report | tr -d '\r')
    drive post-child TDNSCheck lookup-report $WM_KEYDOWN $VK_TAB 0 >/dev/null
    drive post-child TDNSCheck lookup-report $WM_KEYDOWN $VK_RETURN 0 >/dev/null
    sleep 2
    [ ! -s "$BROWSER_LOG" ] || fail "a file: link reached the shell: $(cat "$BROWSER_LOG")" || return 1
    drive post-child TDNSCheck lookup-report $WM_KEYDOWN $VK_TAB 0 >/dev/null
    drive post-child TDNSCheck lookup-report $WM_KEYDOWN $VK_RETURN 0 >/dev/null
    poll 10 eval 'grep -qF "http://127.0.0.1:9/rogue-help" "$BROWSER_LOG" 2>/dev/null' || fail "the web link never reached the browser" || return 1
    [ "$(grep -c . "$BROWSER_LOG")" = 1 ] || fail "browser got: $(cat "$BROWSER_LOG")" || return 1
}
