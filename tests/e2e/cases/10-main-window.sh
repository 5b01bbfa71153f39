# End-to-end cases of the program started from a folder of its own: the main window and its controls, one copy
# per logon, the platform check, start with Windows (the Run value), the first start's records, closing to the
# tray and ending, and the watch's alert. Sourced by run_e2e.sh; the helpers are in e2e_helpers.sh.

e2e_cases main_window_shows_centred_with_its_controls second_copy_exits_at_once_without_a_window \
    renamed_copy_runs_beside_and_both_close_with_code_0 run_entry_in_other_case_keeps_window_hidden \
    monitor_box_click_writes_and_deletes_the_run_entry unsupported_platform_is_refused_after_show \
    windows10_reports_a_supported_version_through_the_manifest \
    first_start_records_every_interface_and_a_later_start_captures_nothing \
    close_button_hides_to_tray_when_ticked_and_the_icon_restores close_button_without_the_box_ends_the_program \
    close_menu_items_hide_to_tray_and_quit run_entry_holding_another_path_is_left_alone \
    run_entry_is_quoted_for_a_path_with_blanks closing_with_a_pending_selection_asks_the_exit_dialog \
    taskbar_created_brings_the_icon_back fix_it_asks_and_no_changes_nothing \
    changed_servers_raise_the_alert_at_the_first_tick_and_ok_allows_them

main_window_shows_centred_with_its_controls() {
    start_app "$APP"
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1
    sleep 0.5
    screenshot main-window "^${MAIN_CAPTION}\$"
    local info
    info=$(drive info "$MAIN_CLASS" | tr -d '\r')
    [ "$(value_of client <<<"$info")" = "436x290" ] || fail "client area: $(value_of client <<<"$info")" || return 1
    local frame screen left top right bottom sw sh
    frame=$(value_of frame <<<"$info")
    screen=$(value_of screen <<<"$info")
    IFS=, read -r left top right bottom <<<"$frame"
    IFS=x read -r sw sh <<<"$screen"
    local dx=$(((left + right) - sw)) dy=$(((top + bottom) - sh))
    [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ] || fail "not centred: frame $frame on $screen" || return 1
    (($(value_of exstyle <<<"$info") & 0x80)) || fail "not a tool window" || return 1
    local children
    children=$(drive children "$MAIN_CLASS" | tr -d '\r')
    local text
    for text in "DNS Selection" "Check My Current DNS Settings" "Monitor My DNS Settings for Unauthorized Changes" \
        "Info" "Close" "Use my Default (originall) DNS settings" "Use OpenDNS for all DNS Queries"; do
        grep -qF "|$text|1" <<<"$children" || fail "control \"$text\" not visible" || return 1
    done
    grep -qE '\|Apply\|0$' <<<"$children" || fail "Apply should start hidden" || return 1
    local class
    for class in TAlertDlg TDNSCheck TDNSokDlg TAbout TAd TExitDlg; do
        [ "$(drive count $class | tr -d '\r')" = 1 ] || fail "window $class not created" || return 1
        [ "$(drive info $class | tr -d '\r' | value_of visible)" = 0 ] || fail "$class visible" || return 1
    done
    [ "$(drive count '#32770' | tr -d '\r')" = 0 ] || fail "an unexpected message box is shown" || return 1
}

second_copy_exits_at_once_without_a_window() {
    start_app "$APP"
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "first copy not up" || return 1
    start_app "$APP"
    local second=$LAST_PID
    wait_exit "$second" 20
    [ "$EXIT_CODE" = 0 ] || fail "second copy ended with $EXIT_CODE" || return 1
    [ "$(drive count "$MAIN_CLASS" | tr -d '\r')" = 1 ] || fail "second copy created a main window" || return 1
    [ "$(drive count '#32770' | tr -d '\r')" = 0 ] || fail "second copy showed a message" || return 1
}

# The renamed copy goes with the run.
remove_renamed_copy() { rm -f "$APPDIR/Other.exe"; }
e2e_cleanup_step remove_renamed_copy

renamed_copy_runs_beside_and_both_close_with_code_0() {
    cp "$APP" "$APPDIR/Other.exe"
    start_app "$APP"
    local first=$LAST_PID
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "first copy not up" || return 1
    start_app "$APPDIR/Other.exe"
    local second=$LAST_PID
    local i
    for i in $(seq 1 100); do
        [ "$(drive count "$MAIN_CLASS" | tr -d '\r')" = 2 ] && break
        sleep 0.2
    done
    [ "$(drive count "$MAIN_CLASS" | tr -d '\r')" = 2 ] || fail "the renamed copy did not run beside" || return 1
    screenshot two-copies "^${MAIN_CAPTION}\$"
    # Closing a main window (no tray icon yet) takes the close path and ends that copy with code 0.
    drive post "$MAIN_CLASS" $WM_CLOSE 0 0 >/dev/null
    sleep 1
    drive post "$MAIN_CLASS" $WM_CLOSE 0 0 >/dev/null
    local a
    wait_exit "$first" 20
    a=$EXIT_CODE
    wait_exit "$second" 20
    [ "$a" = 0 ] && [ "$EXIT_CODE" = 0 ] || fail "exit codes: $a and $EXIT_CODE" || return 1
}

run_entry_in_other_case_keeps_window_hidden() {
    local winpath
    winpath=$(winepath -w "$APP" 2>/dev/null | tr -d '\r')
    reg add "$RUN_KEY" /v VORLANKE /d "${winpath^^}" /f
    start_app "$APP"
    local pid=$LAST_PID
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 >/dev/null || fail "main window not created" || return 1
    sleep 2
    [ "$(drive info "$MAIN_CLASS" | tr -d '\r' | value_of visible)" = 0 ] || fail "window shown despite the entry" || return 1
    drive post "$MAIN_CLASS" $WM_CLOSE 0 0 >/dev/null
    wait_exit "$pid" 20
    [ "$EXIT_CODE" = 0 ] || fail "did not end with code 0" || return 1
}

monitor_box_click_writes_and_deletes_the_run_entry() {
    start_app "$APP"
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1
    local winpath stored
    winpath=$(winepath -w "$APP" 2>/dev/null | tr -d '\r')
    drive click "$MAIN_CLASS" $START_UP_ID >/dev/null || fail "no monitor check box" || return 1
    local i
    for i in $(seq 1 20); do
        stored=$(run_entry)
        [ -n "$stored" ] && break
        sleep 0.5
    done
    [ "$stored" = "$winpath" ] || fail "Run entry after ticking: '$stored', expected '$winpath'" || return 1
    screenshot monitor-ticked "^${MAIN_CAPTION}\$"
    drive click "$MAIN_CLASS" $START_UP_ID >/dev/null
    for i in $(seq 1 20); do
        [ -z "$(run_entry)" ] && return 0
        sleep 0.5
    done
    fail "Run entry still there after unticking"
}

unsupported_platform_is_refused_after_show() {
    reg add "$APP_DEFAULTS" /v Version /d win2k /f
    start_app "$APP"
    local pid=$LAST_PID
    local text
    text=$(drive box Error 30000 | tr -d '\r') || fail "no error box" || return 1
    [ "$text" = "Not A Supported Platform, Sorry." ] || fail "box text: $text" || return 1
    screenshot platform-error '^Error$'
    drive click-box Error $IDOK >/dev/null
    wait_exit "$pid" 20
    [ "$EXIT_CODE" = 0 ] || fail "did not end with code 0 after the platform message" || return 1
}

windows10_reports_a_supported_version_through_the_manifest() {
    # The manifest declares nothing newer than Windows 8, so a Windows 10 system answers 6.2 and passes.
    reg add "$APP_DEFAULTS" /v Version /d win10 /f
    start_app "$APP"
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1
    sleep 1
    [ "$(drive count '#32770' | tr -d '\r')" = 0 ] || fail "platform refused on Windows 10" || return 1
}

first_start_records_every_interface_and_a_later_start_captures_nothing() {
    start_app "$APP"
    app_up || fail "main window never created" || return 1
    local key
    poll 20 eval 'test -n "$(preferred_interface)"' || true
    key=$(preferred_interface)
    [ -n "$key" ] || fail "no \"Default NameServers\" written" || return 1
    local current name
    current=$(reg_value "$key" "Startup NameServers")
    [ -n "$current" ] || fail "no \"Startup NameServers\"" || return 1
    for name in "Default NameServers" "Orig NameServers"; do
        [ "$(reg_value "$key" "$name")" = "$current" ] || fail "$name differs from the current list" || return 1
    done
    [ "$(reg_value "$key" DHCPEnabled)" = 0x1 ] || fail "DHCPEnabled not recorded" || return 1
    # Exit records the list it ends with.
    drive post "$MAIN_CLASS" $WM_COMMAND "$(drive id exit | tr -d '\r')" 0 >/dev/null
    wait_exit "$LAST_PID" 20
    [ "$EXIT_CODE" = 0 ] || fail "Exit ended with $EXIT_CODE" || return 1
    [ "$(reg_value "$key" "Last NameServers")" = "$current" ] || fail "Exit wrote no \"Last NameServers\"" || return 1

    # With a default stored, the next start captures nothing, but records its start list again.
    reg delete "$key" /v DHCPEnabled /f
    reg add "$key" /v "Startup NameServers" /d stale /f
    start_app "$APP"
    app_up || fail "second start: no main window" || return 1
    poll 20 eval 'test "$(reg_value "$key" "Startup NameServers")" = "$current"' || fail "second start kept a stale start list" || return 1
    [ -z "$(reg_value "$key" DHCPEnabled)" ] || fail "second start captured again" || return 1
}

close_button_hides_to_tray_when_ticked_and_the_icon_restores() {
    start_app "$APP"
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1
    [ "$(drive focus "$MAIN_CLASS" | tr -d '\r')" = "$(drive id panel | tr -d '\r')" ] || fail "focus not on the bottom panel" || return 1
    drive click "$MAIN_CLASS" monitor-box >/dev/null
    tray_active || fail "tray icon never added" || return 1
    drive click "$MAIN_CLASS" close >/dev/null
    poll 10 eval '! visible "$MAIN_CLASS"' || fail "Close did not hide the window" || return 1
    tray_icon_is 1 || fail "no icon while hidden" || return 1
    screenshot tray-icon '^Wine System Tray$'
    click_tray_icon click --repeat 2 --delay 80 1 || fail "no tray window" || return 1
    poll 10 visible "$MAIN_CLASS" || fail "double-click did not restore the window" || return 1
    poll 5 tray_icon_is 0 || fail "icon still there after the restore" || return 1
    # The title bar's close box hides it again while the icon is active, whatever the box says.
    drive click "$MAIN_CLASS" monitor-box >/dev/null
    drive post "$MAIN_CLASS" $WM_SYSCOMMAND $SC_CLOSE 0 >/dev/null
    poll 10 eval '! visible "$MAIN_CLASS"' || fail "the close box did not hide the window" || return 1
    kill -0 "$LAST_PID" 2>/dev/null || fail "the close box ended the program" || return 1
    open_tray_menu || fail "the right button opened no tray menu" || return 1
    screenshot tray-menu '^Wine System Tray$'
    click_menu_item 0 || fail "no \"Open\" in the tray menu" || return 1
    poll 10 visible "$MAIN_CLASS" || fail "Open did not restore the window" || return 1
}

close_button_without_the_box_ends_the_program() {
    start_app "$APP"
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1
    drive click "$MAIN_CLASS" close >/dev/null
    wait_exit "$LAST_PID" 20
    [ "$EXIT_CODE" = 0 ] || fail "Close ended with $EXIT_CODE" || return 1
}

close_menu_items_hide_to_tray_and_quit() {
    start_app "$APP"
    local pid=$LAST_PID
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1
    tray_active || fail "tray icon never added" || return 1
    local winpath
    winpath=$(winepath -w "$APP" 2>/dev/null | tr -d '\r')
    reg add "$RUN_KEY" /v VORLANKE /d "$winpath" /f
    # "Close to System Tray" with the box not ticked hides the window and deletes the Run entry.
    open_close_menu || fail "the Close button's arrow opened no menu" || return 1
    screenshot close-menu "^${MAIN_CAPTION}\$"
    click_menu_item 0 || fail "no \"Close to System Tray\" in the menu" || return 1
    poll 10 eval '! visible "$MAIN_CLASS"' || fail "Close to System Tray did not hide the window" || return 1
    poll 10 eval 'test -z "$(run_entry)"' || fail "Run entry kept although the box is not ticked" || return 1
    # The tray menu's "Open" brings it back.
    open_tray_menu || fail "the right button opened no tray menu" || return 1
    click_menu_item 0 || fail "no \"Open\" in the tray menu" || return 1
    poll 10 visible "$MAIN_CLASS" || fail "Open did not restore the window" || return 1
    open_close_menu || fail "the Close button's arrow opened no menu" || return 1
    click_menu_item 1 || fail "no \"Quit Program\" in the menu" || return 1
    wait_exit "$pid" 20
    [ "$EXIT_CODE" = 0 ] || fail "Quit Program ended with $EXIT_CODE" || return 1
    # The tray menu's "Exit" ends a copy that lives in the tray.
    start_app "$APP"
    pid=$LAST_PID
    app_up && tray_active || fail "second copy: no tray icon" || return 1
    drive post "$MAIN_CLASS" $WM_SYSCOMMAND $SC_MINIMIZE 0 >/dev/null
    open_tray_menu || fail "the right button opened no tray menu" || return 1
    click_menu_item 1 || fail "no \"Exit\" in the tray menu" || return 1
    wait_exit "$pid" 20
    [ "$EXIT_CODE" = 0 ] || fail "Exit ended with $EXIT_CODE" || return 1
}

run_entry_holding_another_path_is_left_alone() {
    reg add "$RUN_KEY" /v VORLANKE /d 'C:\Old\Quillcrest.exe' /f
    start_app "$APP"
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "window not shown for another path" || return 1
    [ "$(drive checked "$MAIN_CLASS" monitor-box | tr -d '\r')" = 0 ] || fail "box ticked for another path" || return 1
    # A change of the box by keyboard touches neither the entry nor anything else.
    drive post-child "$MAIN_CLASS" monitor-box $WM_KEYDOWN 0x20 0 >/dev/null
    drive post-child "$MAIN_CLASS" monitor-box $WM_KEYUP 0x20 0xC0000001 >/dev/null
    poll 5 eval 'test "$(drive checked "$MAIN_CLASS" monitor-box | tr -d '\''\r'\'')" = 1' || fail "space did not tick the box" || return 1
    sleep 1
    [ "$(run_entry)" = 'C:\Old\Quillcrest.exe' ] || fail "Run entry changed: $(run_entry)" || return 1
}

run_entry_is_quoted_for_a_path_with_blanks() {
    local dir="$ARTIFACTS/app with blanks"
    mkdir -p "$dir"
    cp "$APP" "$dir/Quillcrest.exe"
    start_app "$dir/Quillcrest.exe"
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1
    drive click "$MAIN_CLASS" monitor-box >/dev/null
    local winpath
    winpath=$(winepath -w "$dir/Quillcrest.exe" 2>/dev/null | tr -d '\r')
    poll 10 eval 'test "$(run_entry)" = "\"$winpath\""' || fail "Run entry: '$(run_entry)', expected the quoted path" || return 1
    stop_all
    # The quoted value ticks the box at the next start, which then stays in the tray.
    start_app "$dir/Quillcrest.exe"
    app_up || fail "second start: no main window" || return 1
    sleep 2
    ! visible "$MAIN_CLASS" || fail "window shown although the quoted entry names this program" || return 1
}

changed_servers_raise_the_alert_at_the_first_tick_and_ok_allows_them() {
    start_with_a_changed_default || fail "could not prepare the start" || return 1
    drive wait TPopupNotification "Quillcrest Active" 5000 visible >/dev/null || fail "no pop-up notice" || return 1
    sleep 0.5
    screenshot popup '^Quillcrest Active$'
    visible TPopupNotification || fail "pop-up gone too early" || return 1
    poll 5 eval '! visible TPopupNotification' || fail "pop-up never hid itself" || return 1
    # The real 120-second timer raises the alert against the default list.
    drive wait TAlertDlg "Quillcrest Alert" 140000 visible >/dev/null || fail "no alert within the first 120 s" || return 1
    sleep 0.5
    screenshot alert '^Quillcrest Alert$'
    drive click TAlertDlg $NOTICE_FIRST_BUTTON >/dev/null
    poll 10 eval 'test -f "$APPDIR/AllowedDNS.txt"' || fail "OK wrote no AllowedDNS.txt" || return 1
    [ "$(od -An -c "$APPDIR/AllowedDNS.txt" | tr -s ' ' | tr -d '\n')" = "$(printf '%s\r\n' "$CURRENT" | od -An -c | tr -s ' ' | tr -d '\n')" ] ||
        fail "AllowedDNS.txt holds: $(od -c "$APPDIR/AllowedDNS.txt" | head -n 3)" || return 1
    stop_all
    # The next start with the same servers raises none: the list is allowed.
    start_app "$APP"
    app_up || fail "next start: no main window" || return 1
    tick $DEFAULT_CHECK_TIMER
    sleep 2
    ! visible TAlertDlg || fail "alert raised for an allowed list" || return 1
}

fix_it_asks_and_no_changes_nothing() {
    start_with_a_changed_default || fail "could not prepare the start" || return 1
    tick $DEFAULT_CHECK_TIMER
    drive wait TAlertDlg "Quillcrest Alert" 10000 visible >/dev/null || fail "no alert on the tick" || return 1
    # Ticks that arrive while the alert waits do nothing.
    tick $DEFAULT_CHECK_TIMER
    tick $RECENT_CHECK_TIMER
    drive click TAlertDlg $((NOTICE_FIRST_BUTTON + 1)) >/dev/null
    local text
    text=$(drive box Confirm 10000 | tr -d '\r') || fail "no confirmation" || return 1
    [ "$text" = "Revert to your default DNS settings?" ] || fail "question: $text" || return 1
    screenshot confirm '^Confirm$'
    drive click-box Confirm $IDNO >/dev/null
    sleep 1
    [ "$(drive count '#32770' | tr -d '\r')" = 0 ] || fail "a second question or error appeared" || return 1
    ! visible TAlertDlg || fail "the alert came back before the next tick" || return 1
    [ ! -f "$APPDIR/AllowedDNS.txt" ] || fail "No remembered the list" || return 1
    # The 120-second tick switched the 30-second check on; its next tick compares the recent list: no alert.
    tick $RECENT_CHECK_TIMER
    sleep 1
    ! visible TAlertDlg || fail "alert against the recent list" || return 1
}

closing_with_a_pending_selection_asks_the_exit_dialog() {
    start_app "$APP"
    local pid=$LAST_PID
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1
    drive click "$MAIN_CLASS" use-opendns >/dev/null
    poll 5 eval 'drive children "$MAIN_CLASS" | tr -d "\r" | grep -qE "\|Apply\|1$"' || fail "Apply not shown after a change" || return 1
    drive post "$MAIN_CLASS" $WM_CLOSE 0 0 >/dev/null
    drive wait TExitDlg "Quillcrest Alert" 10000 visible >/dev/null || fail "no exit dialog" || return 1
    sleep 0.3
    screenshot exit-dialog '^Quillcrest Alert$'
    drive click TExitDlg $((NOTICE_FIRST_BUTTON + 1)) >/dev/null
    sleep 1
    visible "$MAIN_CLASS" || fail "Fix it closed the window" || return 1
    drive children "$MAIN_CLASS" | tr -d '\r' | grep -qE '\|Apply\|1$' || fail "Apply hidden after Fix it" || return 1
    [ "$(drive checked "$MAIN_CLASS" use-opendns | tr -d '\r')" = 1 ] || fail "selection lost after Fix it" || return 1

    # The end of the logon asks the same question; "Fix it" keeps the program running.
    wine wineboot --end-session >/dev/null 2>&1 &
    local ender=$!
    APP_PIDS+=("$ender")
    drive wait TExitDlg "Quillcrest Alert" 15000 visible >/dev/null || fail "end of session asked nothing" || return 1
    drive click TExitDlg $((NOTICE_FIRST_BUTTON + 1)) >/dev/null
    wait_exit "$ender" 20
    kill -0 "$pid" 2>/dev/null || fail "the program ended although the close was refused" || return 1

    # "OK" restores the recorded servers and lets the window close.
    drive post "$MAIN_CLASS" $WM_CLOSE 0 0 >/dev/null
    drive wait TExitDlg "Quillcrest Alert" 10000 visible >/dev/null || fail "no exit dialog the second time" || return 1
    drive click TExitDlg $NOTICE_FIRST_BUTTON >/dev/null
    wait_exit "$pid" 20
    [ "$EXIT_CODE" = 0 ] || fail "OK did not end the program with 0 ($EXIT_CODE)" || return 1
}

taskbar_created_brings_the_icon_back() {
    start_app "$APP"
    app_up || fail "main window never created" || return 1
    tray_active || fail "tray icon never added" || return 1
    # A first add that timed out in a busy shell leaves the program's 5-second retry running, and the retry puts
    # the icon back by itself: remove it until it stays away for longer than one retry interval.
    local try gone=0
    for try in 1 2 3; do
        drive tray-icon remove >/dev/null
        sleep 6
        tray_icon_is 0 && gone=1 && break
    done
    [ "$gone" = 1 ] || fail "icon could not be removed" || return 1
    drive taskbar-created >/dev/null
    poll 10 tray_icon_is 1 || fail "icon not added again after TaskbarCreated" || return 1
}
