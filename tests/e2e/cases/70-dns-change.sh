# End-to-end case of the early check: a DNS setting written while the program runs. Sourced by run_e2e.sh and
# built on its shell functions.

e2e_cases dns_setting_written_raises_the_alert_within_2_s

# Wine's GetNetworkParams keeps answering the servers it read first, so the change is staged as a stored default
# list that differs from the machine's: the first check against it alerts. Only the write under the preferred
# adapter's TCP/IP key can make that check come before the 120-second tick.
dns_setting_written_raises_the_alert_within_2_s() {
    # Wine's own state: no Interfaces key, so the program watches the Parameters key above it.
    reg delete "$TCPIP_INTERFACES_KEY" /f
    alert_follows_a_written_dns_setting
    local status=$?
    reg delete "$TCPIP_INTERFACES_KEY" /f
    return $status
}

alert_follows_a_written_dns_setting() {
    start_with_a_changed_default || fail "could not prepare the start" || return 1
    local adapter=${PREFERRED##*\\} elapsed text
    sleep 10
    ! visible TAlertDlg || fail "alert before the write" || return 1
    elapsed=$(drive write-then-wait "${TCPIP_INTERFACES_KEY#HKLM\\}\\$adapter" NameServer 127.0.0.77 TAlertDlg 2000 |
        tr -d '\r')
    [ -n "$elapsed" ] || fail "no alert within 2 s of writing NameServer under $adapter" || return 1
    echo "    alert shown ${elapsed} ms after the write"
    sleep 0.5
    screenshot early-alert '^Quillcrest Alert$'
    # The check the 120-second tick would have run: against the default list.
    drive click TAlertDlg $((NOTICE_FIRST_BUTTON + 1)) >/dev/null
    text=$(drive box Confirm 10000 | tr -d '\r') || fail "no confirmation" || return 1
    [ "$text" = "Revert to your default DNS settings?" ] || fail "question: $text" || return 1
    drive click-box Confirm $IDNO >/dev/null
    sleep 1
    ! visible TAlertDlg || fail "the alert came back" || return 1
}
