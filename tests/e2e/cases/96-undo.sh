# End-to-end cases of "Undo" in the wider check's alert. Sourced by run_e2e.sh after 95-wider-watch.sh, and
# built on the shell functions of both. Under Wine the program runs elevated (Wine's token is a full
# administrator's) and its folder is not protected (Wine gives the user every folder): the program started from the
# test's folder puts settings back itself, in its own process, which is what these cases drive; the copy started
# with "runas" refuses, as it refuses to write the allowed list there.

e2e_cases undo_deletes_a_rule_written_while_the_program_runs undo_writes_the_hosts_file_back_byte_for_byte \
    runas_undo_copy_refuses_in_a_folder_the_user_can_change

UNDO_CONFIRM_CAPTION="Quillcrest: Confirm Undo"
UNDO_REPORT_CAPTION="Quillcrest: Undo"
UNDO_RULE_KEY='HKLM\SYSTEM\CurrentControlSet\Services\Dnscache\Parameters\DnsPolicyConfig\{QC-E2E-UNDO}'
HOSTS_KEPT="$ARTIFACTS/hosts.before-undo"

# Waits for the alert, checks that it names `what`, presses "Undo", answers the question with Yes and echoes the
# question, a line "---" and the report; the pictures of all three are kept under the prefix given.
undo_through_the_alert() {  # what picture-prefix
    local wanted=$1 question report
    wider_alert_up 10000 || { echo "no alert"; return 1; }
    poll 5 eval 'wider_alert_text | grep -qF "$wanted"' || { echo "the alert lists: $(wider_alert_text)"; return 1; }
    sleep 0.5
    screenshot "$2-alert" "^${WIDER_ALERT_CAPTION}\$"
    [ "$(drive text "$WIDER_ALERT_CLASS" "$WIDER_UNDO" | tr -d '\r')" = Undo ] ||
        { echo "second button: $(drive text "$WIDER_ALERT_CLASS" "$WIDER_UNDO")"; return 1; }
    drive click "$WIDER_ALERT_CLASS" "$WIDER_UNDO" >/dev/null
    question=$(drive box-text "$UNDO_CONFIRM_CAPTION" 10000 | tr -d '\r') || { echo "no question"; return 1; }
    sleep 0.3
    screenshot "$2-question" "^${UNDO_CONFIRM_CAPTION}\$"
    [ "$(drive focus '#32770' | tr -d '\r')" = "$IDNO" ] || { echo "the question's default is not No"; return 1; }
    drive click-box "$UNDO_CONFIRM_CAPTION" $IDYES >/dev/null
    report=$(drive box-text "$UNDO_REPORT_CAPTION" 20000 | tr -d '\r') || { echo "no report; question: $question"; return 1; }
    sleep 0.3
    screenshot "$2-report" "^${UNDO_REPORT_CAPTION}\$"
    drive click-box "$UNDO_REPORT_CAPTION" $IDOK >/dev/null
    printf '%s\n---\n%s\n' "$question" "$report"
}

# The next check (the 30-second one, run now) finds nothing that differs from the baseline.
next_check_is_quiet() {
    poll 5 eval '! visible "$WIDER_ALERT_CLASS"' || return 1
    tick $RECENT_CHECK_TIMER
    sleep 2
    ! visible "$WIDER_ALERT_CLASS"
}

undo_deletes_a_rule_written_while_the_program_runs() {
    reg delete "$UNDO_RULE_KEY" /f
    undo_of_a_written_rule
    local status=$?
    stop_all
    reg delete "$UNDO_RULE_KEY" /f
    return $status
}

undo_of_a_written_rule() {
    local out
    start_monitoring || fail "main window never created" || return 1
    first_start_records_the_baseline_silently || return 1
    reg add "$UNDO_RULE_KEY" /v Name /t REG_MULTI_SZ /d .undo.example /f
    reg add "$UNDO_RULE_KEY" /v GenericDNSServers /d 127.0.66.66 /f
    out=$(undo_through_the_alert '.undo.example' undo-rule) || fail "$out" || return 1
    grep -qF 'name resolution rule ".undo.example" ("local rules"): delete it' <<<"$out" ||
        fail "the question does not name the rule: $out" || return 1
    [ "$(sed -n '/^---$/,$p' <<<"$out" | sed 1d)" = 'Put back:\nname resolution rule ".undo.example" ("local rules"): deleted' ] ||
        fail "report: $out" || return 1
    ! wine reg query "$UNDO_RULE_KEY" >/dev/null 2>&1 || fail "the rule's key is still there" || return 1
    next_check_is_quiet || fail "the next check raised the alert again" || return 1
}

undo_writes_the_hosts_file_back_byte_for_byte() {
    cp -p "$HOSTS_FILE" "$HOSTS_KEPT" || fail "no hosts file in the prefix" || return 1
    undo_of_a_hosts_line
    local status=$?
    stop_all
    cp -p "$HOSTS_KEPT" "$HOSTS_FILE"
    return $status
}

undo_of_a_hosts_line() {
    local out mode
    start_monitoring || fail "main window never created" || return 1
    first_start_records_the_baseline_silently || return 1
    mode=$(stat -c %a "$HOSTS_FILE")
    printf '127.0.0.66 bank.undo.example\r\n' >>"$HOSTS_FILE"
    out=$(undo_through_the_alert 'bank.undo.example' undo-hosts) || fail "$out" || return 1
    grep -qF 'write back its recorded content' <<<"$out" || fail "the question does not name the file: $out" || return 1
    sed -n '/^---$/,$p' <<<"$out" | grep -qE '^Put back:\\nhosts file \(".*hosts"\): written back \([0-9]+ bytes\)$' ||
        fail "report: $out" || return 1
    cmp -s "$HOSTS_FILE" "$HOSTS_KEPT" || fail "the hosts file differs from the baseline's: $(cmp "$HOSTS_FILE" "$HOSTS_KEPT")" || return 1
    [ "$(stat -c %a "$HOSTS_FILE")" = "$mode" ] || fail "mode $(stat -c %a "$HOSTS_FILE"), was $mode" || return 1
    ! ls "$(dirname "$HOSTS_FILE")" | grep -q '\.undo$' || fail "a temporary file is left: $(ls "$(dirname "$HOSTS_FILE")")" || return 1
    next_check_is_quiet || fail "the next check raised the alert again" || return 1
}

# The undo order reads its baseline only beside a protected program, and under Wine no folder is protected: the
# copy started with "runas" by another program shows no question, changes nothing and ends with an error whose
# detail is "access denied", whatever baseline lies beside it.
runas_undo_copy_refuses_in_a_folder_the_user_can_change() {
    reg delete "$UNDO_RULE_KEY" /f
    printf 'Quillcrest DNS baseline 1\r\nend\r\n' >"$BASELINE_FILE"
    reg add "$UNDO_RULE_KEY" /v GenericDNSServers /d 127.0.66.66 /f
    runas_start "/undo-dns-changes" 20000
    runas_wait
    local status=0
    { [ "$(exit_kind "${RUNAS_EXIT:-0}")" = "$KIND_ERROR" ] && [ $((RUNAS_EXIT & 0xFFFFFF)) = 5 ]; } ||
        { fail "exit code '$RUNAS_EXIT'"; status=1; }
    [ "$(reg_value "$UNDO_RULE_KEY" GenericDNSServers)" = 127.0.66.66 ] || { fail "the rule was changed"; status=1; }
    [ "$(drive count '#32770' | tr -d '\r')" = 0 ] || { fail "a window is left"; status=1; }
    reg delete "$UNDO_RULE_KEY" /f
    return $status
}
