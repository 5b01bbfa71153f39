# The message window "TAd" and the information window "TAbout" against the pages of site/ served by nginx.
# Sourced by run_e2e.sh, whose helpers it uses; every other case runs with the quiet pages (serve_quiet_pages).

e2e_cases message_window_appears_after_20_seconds_and_thanks_counts_it information_window_shows_the_fetched_page \
    information_window_without_server_reports_then_opens_empty

ADS_KEY='HKCU\SOFTWARE\Brenholt\Quillcrest\Ads'
MESSAGE_ID=welcome-2026

# Runs a case and puts the quiet pages back, whatever the case did with the server.
then_quiet_pages() {
    "$@"
    local status=$?
    serve_quiet_pages || echo "    page server not serving the quiet pages again: $QC_PAGES_SERVER_PROBLEM"
    return "$status"
}

# A case that needs the pages stops here, naming the reason, when the server does not serve them.
pages_served() {
    [ -z "$QC_PAGES_SERVER_PROBLEM" ] || fail "page server not serving: $QC_PAGES_SERVER_PROBLEM"
}

serve_site_pages() {
    qc_stop_pages_server
    qc_start_pages_server "$PAGES_SERVER_DIR"
}

# Days since 30 December 1899 of this moment, local time (the prefix's time zone is the machine's).
day_count_now() { python3 -c 'import datetime as d; n=d.datetime.now(); print((n-d.datetime(1899,12,30)).total_seconds()/86400)'; }

check_message_window_appears_after_20_seconds_and_thanks_counts_it() {
    serve_site_pages
    pages_served || return 1
    start_app "$APP"
    app_up || fail "main window never created" || return 1
    local started=$SECONDS
    # The first tick of the fetch timer only counts: nothing is shown in the first ten seconds.
    sleep 12
    ! visible TAd || fail "message shown after $((SECONDS - started)) s, before the second tick" || return 1
    drive wait TAd "Quillcrest Message" 30000 visible >/dev/null || fail "message window never shown" || return 1
    echo "    message window shown $((SECONDS - started)) s after the main window existed"
    grep -q 'GET /odnsad.html' "$PAGES_SERVER_DIR/access.log" || fail "no page request logged" || return 1
    grep -q 'GET /quill-note.gif' "$PAGES_SERVER_DIR/access.log" || fail "the page's picture was not fetched" || return 1
    local text
    text=$(drive text TAd message-view | tr -d '\r')
    grep -qF "Your DNS settings are being watched" <<<"$text" || fail "message view shows: $text" || return 1
    # Topmost tool window, centred on the 1024 x 768 screen.
    local info exstyle frame
    info=$(drive info TAd | tr -d '\r')
    exstyle=$(value_of exstyle <<<"$info")
    (( (exstyle & 0x8) && (exstyle & 0x80) )) || fail "exstyle $exstyle lacks topmost or tool window" || return 1
    [ "$(value_of client <<<"$info")" = "450x291" ] || fail "client $(value_of client <<<"$info")" || return 1
    frame=$(value_of frame <<<"$info")
    IFS=, read -r l t r b <<<"$frame"
    (( ${l} + ${r} >= 1024 - 4 && ${l} + ${r} <= 1024 + 4 )) || fail "not centred across: $frame" || return 1
    sleep 1
    screenshot message-window '^Quillcrest Message$'

    local before after
    before=$(day_count_now)
    drive click TAd thanks >/dev/null
    poll 10 eval '! visible TAd' || fail "Thanks did not hide the window" || return 1
    after=$(day_count_now)
    local key="$ADS_KEY\\$MESSAGE_ID" last
    [ "$(reg_value "$key" AdShown)" = 0x1 ] || fail "AdShown: $(reg_value "$key" AdShown)" || return 1
    [ "$(reg_value "$key" AdTimesToday)" = 0x1 ] || fail "AdTimesToday: $(reg_value "$key" AdTimesToday)" || return 1
    last=$(reg_value "$key" AdLastTime)
    python3 - "$last" "$before" "$after" <<'PY' || fail "AdLastTime $last is not the moment of the click ($before .. $after)" || return 1
import sys
last = float(sys.argv[1].replace(",", "."))
# Both clocks tick by the same system time; allow a second either side.
sys.exit(0 if float(sys.argv[2]) - 1 / 86400 <= last <= float(sys.argv[3]) + 1 / 86400 else 1)
PY
    [[ "$last" =~ ^[0-9]+[.,][0-9]+$ ]] && [ "$(printf '%s' "$last" | tr -d '.,' | sed 's/^0*//' | wc -c)" -le 15 ] ||
        fail "AdLastTime $last: not a decimal count of at most 15 digits" || return 1
}

check_information_window_shows_the_fetched_page() {
    serve_quiet_pages
    pages_served || return 1
    start_app "$APP"
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1
    drive click "$MAIN_CLASS" info >/dev/null
    drive wait TAbout Information 10000 visible >/dev/null || fail "Info opened no information window" || return 1
    local text info
    text=$(drive text TAbout info-view | tr -d '\r')
    grep -qF "How the watch works" <<<"$text" || fail "information view shows: $text" || return 1
    grep -qF "AllowedDNS.txt" <<<"$text" || fail "information view lacks the files: $text" || return 1
    [ "$(drive focus TAbout | tr -d '\r')" = "$(drive id info-view | tr -d '\r')" ] ||
        fail "focus on control $(drive focus TAbout | tr -d '\r'), not the view" || return 1
    info=$(drive info TAbout | tr -d '\r')
    local frame
    frame=$(value_of frame <<<"$info")
    IFS=, read -r l t r b <<<"$frame"
    [ $((r - l))x$((b - t)) = 499x484 ] || fail "outer size of $frame is not 499x484" || return 1
    grep -q 'GET /quillcrestinfo.html' "$PAGES_SERVER_DIR/access.log" || fail "no page request logged" || return 1
    sleep 0.5
    screenshot information-window '^Information$'
    drive click TAbout info-ok >/dev/null
    poll 10 eval '! visible TAbout' || fail "OK did not close the window" || return 1
    # Every showing fetches the page again.
    local fetched
    fetched=$(grep -c 'GET /quillcrestinfo.html' "$PAGES_SERVER_DIR/access.log")
    drive click "$MAIN_CLASS" info >/dev/null
    drive wait TAbout Information 10000 visible >/dev/null || fail "second Info opened nothing" || return 1
    [ "$(grep -c 'GET /quillcrestinfo.html' "$PAGES_SERVER_DIR/access.log")" -gt "$fetched" ] ||
        fail "the second showing fetched nothing" || return 1
    drive click TAbout info-ok >/dev/null
}

check_information_window_without_server_reports_then_opens_empty() {
    qc_stop_pages_server
    start_app "$APP"
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1
    drive click "$MAIN_CLASS" info >/dev/null
    local text
    text=$(drive box Quillcrest 30000 | tr -d '\r') || fail "no error report" || return 1
    [ "$text" = "[10061] Connection refused." ] || fail "error report says: $text" || return 1
    ! visible TAbout || fail "the window opened before the report was closed" || return 1
    screenshot information-error '^Quillcrest$'
    drive click-box Quillcrest $IDOK >/dev/null
    drive wait TAbout Information 10000 visible >/dev/null || fail "no window after the report" || return 1
    [ -z "$(drive text TAbout info-view | tr -d '\r')" ] || fail "the view is not empty" || return 1
    sleep 0.5
    screenshot information-empty '^Information$'
    drive click TAbout info-ok >/dev/null
    poll 10 eval '! visible TAbout' || fail "OK did not close the window" || return 1
    # The message fetch also fails here; once the information report is gone its own report comes (once).
    text=$(drive box Quillcrest 40000 | tr -d '\r') || fail "the failed message fetch was never reported" || return 1
    [ "$text" = "[10061] Connection refused." ] || fail "message fetch report says: $text" || return 1
    drive click-box Quillcrest $IDOK >/dev/null
    sleep 25
    ! drive box Quillcrest 0 >/dev/null 2>&1 || fail "a second message fetch report came" || return 1
}

message_window_appears_after_20_seconds_and_thanks_counts_it() { then_quiet_pages check_message_window_appears_after_20_seconds_and_thanks_counts_it; }
information_window_shows_the_fetched_page() { then_quiet_pages check_information_window_shows_the_fetched_page; }
information_window_without_server_reports_then_opens_empty() { then_quiet_pages check_information_window_without_server_reports_then_opens_empty; }
