# Windows under modal ones: the tray's commands and the main window while the alert and its question are up.
# Sourced by run_e2e.sh, whose helpers it uses.

e2e_cases tray_commands_under_the_alert_bring_it_to_the_front main_window_is_disabled_under_the_revert_question

WS_DISABLED=0x08000000

disabled() { (($(drive info "$1" | tr -d '\r' | value_of style) & WS_DISABLED)); }

apply_shown() { drive children "$MAIN_CLASS" | tr -d '\r' | grep -qE '\|Apply\|1$'; }

# With the window in the tray and the alert up, "Open", a double-click and "Exit" only bring the alert (and then
# its question) to the front: the main window stays hidden and the program keeps running.
tray_commands_under_the_alert_bring_it_to_the_front() {
    start_with_a_changed_default || fail "could not prepare the start" || return 1
    local pid=$LAST_PID
    tray_active || fail "tray icon never added" || return 1
    tick $DEFAULT_CHECK_TIMER
    drive wait TAlertDlg "Quillcrest Alert" 10000 visible >/dev/null || fail "no alert on the tick" || return 1
    click_tray_icon click --repeat 2 --delay 80 1 || fail "no tray window" || return 1
    sleep 1
    ! visible "$MAIN_CLASS" || fail "a double-click showed the main window under the alert" || return 1
    open_tray_menu || fail "the right button opened no tray menu" || return 1
    click_menu_item 0 || fail "no \"Open\" in the tray menu" || return 1
    sleep 1
    ! visible "$MAIN_CLASS" || fail "\"Open\" showed the main window under the alert" || return 1
    open_tray_menu || fail "the right button opened no tray menu the second time" || return 1
    click_menu_item 1 || fail "no \"Exit\" in the tray menu" || return 1
    sleep 1
    kill -0 "$pid" 2>/dev/null || fail "\"Exit\" ended the program under the alert" || return 1
    visible TAlertDlg || fail "\"Exit\" ended the alert" || return 1
    ! drive box Confirm 0 >/dev/null 2>&1 || fail "\"Exit\" answered the alert with \"Fix It\"" || return 1
    screenshot alert-after-tray-commands '^Quillcrest Alert$'
    # The question after "Fix It" is modal in the same way. The button's notice goes to the alert itself: the
    # tray commands may have left the alert inactive, and a click posted to a button of an inactive dialog can
    # be lost.
    drive post TAlertDlg $WM_COMMAND $((NOTICE_FIRST_BUTTON + 1)) 0 >/dev/null
    drive box Confirm 10000 >/dev/null || fail "no confirmation after Fix It" || return 1
    open_tray_menu || fail "the right button opened no tray menu under the question" || return 1
    click_menu_item 0 || fail "no \"Open\" in the tray menu under the question" || return 1
    sleep 1
    ! visible "$MAIN_CLASS" || fail "\"Open\" showed the main window under the question" || return 1
    drive box Confirm 0 >/dev/null || fail "the question went away" || return 1
    drive click-box Confirm $IDNO >/dev/null
    # With nothing modal up, "Open" shows the window again.
    poll 10 eval '! drive box Confirm 0 >/dev/null 2>&1' || fail "the question stayed" || return 1
    open_tray_menu || fail "the right button opened no tray menu after the question" || return 1
    click_menu_item 0 || fail "no \"Open\" in the tray menu after the question" || return 1
    poll 10 visible "$MAIN_CLASS" || fail "\"Open\" did not restore the window once the question was answered" || return 1
    ! disabled "$MAIN_CLASS" || fail "the main window stayed disabled" || return 1
}

# The question of a revert disables the main window: a click on "Apply" while it is up does nothing.
main_window_is_disabled_under_the_revert_question() {
    start_with_a_changed_default || fail "could not prepare the start" || return 1
    tray_active || fail "tray icon never added" || return 1
    click_tray_icon click --repeat 2 --delay 80 1 || fail "no tray window" || return 1
    poll 10 visible "$MAIN_CLASS" || fail "double-click did not restore the window" || return 1
    drive click "$MAIN_CLASS" use-opendns >/dev/null
    poll 5 apply_shown || fail "Apply not shown after a change" || return 1
    tick $DEFAULT_CHECK_TIMER
    drive wait TAlertDlg "Quillcrest Alert" 10000 visible >/dev/null || fail "no alert on the tick" || return 1
    disabled "$MAIN_CLASS" || fail "the main window is enabled under the alert" || return 1
    drive click TAlertDlg $((NOTICE_FIRST_BUTTON + 1)) >/dev/null
    drive box Confirm 10000 >/dev/null || fail "no confirmation after Fix It" || return 1
    sleep 0.5
    disabled "$MAIN_CLASS" || fail "the main window is enabled under the question" || return 1
    # "Apply" sits at (240..320, 256..282) of the client area, in the bottom panel.
    click_main_window_at 280 269 || fail "no main window to click" || return 1
    sleep 1
    screenshot confirm-over-main-window '^Confirm$'
    apply_shown || fail "a click on Apply under the question applied the selection" || return 1
    drive click-box Confirm $IDNO >/dev/null
    poll 10 eval '! disabled "$MAIN_CLASS"' || fail "the main window stayed disabled after the answer" || return 1
    apply_shown || fail "Apply went away with the answer" || return 1
}

