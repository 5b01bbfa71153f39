# End-to-end cases of the wider check (name resolution rules, the hosts file, IPv6 servers): the baseline taken
# silently at the first start, the alert that names each difference, "Keep" and its close box. Sourced by
# run_e2e.sh and built on its shell functions.

e2e_cases wider_check_names_a_written_rule_within_2_s_and_keep_holds_over_a_restart \
    wider_check_names_a_host_added_to_the_hosts_file_within_2_s \
    wider_check_alerts_at_the_first_check_on_an_ipv6_server_added_to_the_resolver_file

WIDER_ALERT_CLASS=TResolutionAlertDlg
WIDER_ALERT_CAPTION="Quillcrest: Name Lookup Settings Changed"
WIDER_ALERT_LIST=1201  # the read-only list of differences
WIDER_KEEP=$NOTICE_FIRST_BUTTON
WIDER_UNDO=$((NOTICE_FIRST_BUTTON + 1))
POLICY_RULES_KEY='SOFTWARE\Policies\Microsoft\Windows NT\DNSClient\DnsPolicyConfig'
E2E_RULE='{0E2E0E2E-0000-4000-8000-000000000023}'
HOSTS_FILE="$WINEPREFIX/drive_c/windows/system32/drivers/etc/hosts"
BASELINE_FILE="$APPDIR/DNSBaseline.txt"

# Starts the program with the monitor switch on (its Run value names it) in the resolver configuration CONF, or
# in the machine's when none is given. Wine reads the resolver file once, and its wineserver holds on to it, so a
# start in another configuration starts a wineserver of its own in a private mount namespace where CONF is bound
# over /etc/resolv.conf.
start_monitoring() {  # [CONF]
    local winpath
    winpath=$(winepath -w "$APP" 2>/dev/null | tr -d '\r')
    reg add "$RUN_KEY" /v VORLANKE /d "$winpath" /f
    if [ $# -eq 0 ]; then
        start_app "$APP"
    else
        wineserver -k >/dev/null 2>&1
        wineserver -w >/dev/null 2>&1
        unshare -m sh -c 'mount --bind "$1" /etc/resolv.conf && { wineserver -p; exec wine "$2"; }' sh "$1" "$APP" \
            >/dev/null 2>&1 &
        LAST_PID=$!
        APP_PIDS+=("$LAST_PID")
    fi
    app_up
}

# Back to a persistent wineserver that reads the machine's resolver file, for the cases after.
leave_private_resolver() {
    stop_all
    wineserver -k >/dev/null 2>&1
    wineserver -p >/dev/null 2>&1
    true
}

wider_alert_text() { drive text "$WIDER_ALERT_CLASS" "$WIDER_ALERT_LIST" | tr -d '\r'; }
wider_alert_up() { drive wait "$WIDER_ALERT_CLASS" "$WIDER_ALERT_CAPTION" "$1" visible >/dev/null; }
baseline_recorded() { head -n 1 "$BASELINE_FILE" 2>/dev/null | grep -q '^Quillcrest DNS baseline 1'; }

first_start_records_the_baseline_silently() {
    poll 20 baseline_recorded || fail "the first start recorded no DNS baseline" || return 1
    sleep 2
    ! visible "$WIDER_ALERT_CLASS" || fail "the first start raised the wider alert" || return 1
    [ "$(drive count '#32770' | tr -d '\r')" = 0 ] || fail "the first start showed a message" || return 1
}

wider_check_names_a_written_rule_within_2_s_and_keep_holds_over_a_restart() {
    reg delete "HKLM\\$POLICY_RULES_KEY\\$E2E_RULE" /f
    rule_written_while_running
    local status=$?
    stop_all
    reg delete "HKLM\\$POLICY_RULES_KEY\\$E2E_RULE" /f
    return $status
}

rule_written_while_running() {
    start_monitoring || fail "main window never created" || return 1
    first_start_records_the_baseline_silently || return 1
    local recorded elapsed text
    recorded=$(cat "$BASELINE_FILE")
    elapsed=$(drive write-then-wait "$POLICY_RULES_KEY\\$E2E_RULE" GenericDNSServers 127.0.0.77 "$WIDER_ALERT_CLASS" 2000 |
        tr -d '\r')
    [ -n "$elapsed" ] || fail "no wider alert within 2 s of writing a rule" || return 1
    echo "    wider alert shown ${elapsed} ms after the write"
    text=$(wider_alert_text)
    grep -qF "Name resolution rule \"$E2E_RULE\" (\"policy rules\"): was none, now servers 127.0.0.77" <<<"$text" ||
        fail "the alert's list: $text" || return 1
    ! visible TAlertDlg || fail "the DNS server list's alert came up too" || return 1
    sleep 0.5
    screenshot wider-alert "^${WIDER_ALERT_CAPTION}\$"

    # Closing the alert keeps the baseline: the file stays as it was and the next check alerts again.
    drive post "$WIDER_ALERT_CLASS" $WM_CLOSE 0 0 >/dev/null
    poll 5 eval '! visible "$WIDER_ALERT_CLASS"' || fail "the close box left the alert up" || return 1
    [ "$(cat "$BASELINE_FILE")" = "$recorded" ] || fail "closing the alert changed the baseline" || return 1
    tick $RECENT_CHECK_TIMER
    wider_alert_up 10000 || fail "the alert did not come back at the next check" || return 1

    drive click "$WIDER_ALERT_CLASS" "$WIDER_KEEP" >/dev/null
    poll 10 eval 'grep -qF "\"GenericDNSServers\" REG_SZ \"127.0.0.77\"" "$BASELINE_FILE"' ||
        fail "Keep did not store the rule: $(grep -F GenericDNSServers "$BASELINE_FILE")" || return 1
    tick $RECENT_CHECK_TIMER
    sleep 1
    ! visible "$WIDER_ALERT_CLASS" || fail "alert after Keep" || return 1

    stop_all
    start_monitoring || fail "main window never created after the restart" || return 1
    tick $DEFAULT_CHECK_TIMER
    sleep 2
    ! visible "$WIDER_ALERT_CLASS" || fail "alert after a restart with the kept rule: $(wider_alert_text)" || return 1
}

wider_check_names_a_host_added_to_the_hosts_file_within_2_s() {
    local saved="$ARTIFACTS/hosts.saved"
    cp "$HOSTS_FILE" "$saved" || fail "no hosts file in the prefix" || return 1
    host_line_added_while_running
    local status=$?
    stop_all
    cp "$saved" "$HOSTS_FILE"
    return $status
}

host_line_added_while_running() {
    start_monitoring || fail "main window never created" || return 1
    first_start_records_the_baseline_silently || return 1
    local start elapsed text
    start=$(date +%s%N)
    printf '127.0.0.78 e2e-planted.example\r\n' >>"$HOSTS_FILE"
    wider_alert_up 2000 || fail "no wider alert within 2 s of a hosts line" || return 1
    elapsed=$((($(date +%s%N) - start) / 1000000))
    echo "    wider alert shown ${elapsed} ms after the hosts line"
    text=$(wider_alert_text)
    grep -qF 'Hosts file "e2e-planted.example": was none, now 127.0.0.78' <<<"$text" ||
        fail "the alert's list: $text" || return 1
    drive post "$WIDER_ALERT_CLASS" $WM_CLOSE 0 0 >/dev/null
    poll 5 eval '! visible "$WIDER_ALERT_CLASS"' || fail "the close box left the alert up" || return 1
}

wider_check_alerts_at_the_first_check_on_an_ipv6_server_added_to_the_resolver_file() {
    ipv6_server_added_between_starts
    local status=$?
    leave_private_resolver
    return $status
}

ipv6_server_added_between_starts() {
    local before="$ARTIFACTS/resolv-ipv4.conf" after="$ARTIFACTS/resolv-ipv6.conf" text
    # Loopback servers only: Wine sends real lookups to the servers it is given.
    printf 'nameserver 127.0.53.9\n' >"$before"
    printf 'nameserver ::1\nnameserver 127.0.53.9\n' >"$after"
    start_monitoring "$before" || fail "main window never created" || return 1
    first_start_records_the_baseline_silently || return 1
    stop_all
    start_monitoring "$after" || fail "main window never created in the second configuration" || return 1
    sleep 2
    ! visible "$WIDER_ALERT_CLASS" || fail "alert before the first check" || return 1
    # The first check: the 120-second tick.
    tick $DEFAULT_CHECK_TIMER
    wider_alert_up 10000 || fail "no wider alert at the first check" || return 1
    text=$(wider_alert_text)
    grep -qE '^IPv6 DNS servers \(.*\): was none, now ::1; handed out by the network' <<<"$text" ||
        fail "the alert's list: $text" || return 1
    ! visible TAlertDlg || fail "the DNS server list's alert came up for the same IPv4 list" || return 1
}
