# Every window of the program at 100, 125, 150 and 200 % display scale. Sourced by run_e2e.sh, whose helpers it
# uses.
#
# Wine takes the density from LogPixels under HKCU\Control Panel\Desktop when a process starts (the copy under
# the hardware profile's Software\Fonts key is only its fallback), so one program start per density shows every
# window at it. Each window's controls, as qcdriver measures them, are compared with the same window at 96 dpi
# (tests/e2e/check_scaled_geometry.py); screenshots of every window are taken at each density but 96, named
# after it (dpi144-main-window.png and so on).

e2e_cases every_window_scales_with_the_display_density

DESKTOP_KEY='HKCU\Control Panel\Desktop'
GEOMETRY_DIR="$ARTIFACTS/geometry"
DISPLAY_DPIS="96 120 144 192"
FIRST_DISPLAY_DPI=96
WM_COMMAND_OPEN_ITEM=301  # the tray menu's "Open"
BANNER_CLICKED=101        # the banner's STN_CLICKED (code 0) as the main window's WM_COMMAND wParam

DISPLAY_DPI_CHANGED=0

# The run's clean-up puts 96 back when a case ends half-way (restore_display_dpi).
set_display_dpi() {
    reg add "$DESKTOP_KEY" /v LogPixels /t REG_DWORD /d "$1" /f
    DISPLAY_DPI_CHANGED=$([ "$1" = 96 ] && echo 0 || echo 1)
}

# A display density a case left behind would hold for every later run in the prefix.
restore_display_dpi() {
    if [ "$DISPLAY_DPI_CHANGED" -eq 1 ]; then
        timeout 20 wine reg add "$DESKTOP_KEY" /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
    fi
}
e2e_cleanup_step restore_display_dpi

dpi_shot() {  # dpi name caption-regex
    [ "$1" = 96 ] && return 0
    screenshot "dpi$1-$2" "$3"
    rm -f "$SHOTS/dpi$1-$2-screen.png"
}

# Saves what qcdriver measures of a window's controls.
record_geometry() {  # dpi class
    drive geometry "$2" | tr -d '\r' >"$GEOMETRY_DIR/$1/$2.txt" && [ -s "$GEOMETRY_DIR/$1/$2.txt" ]
}

# One start at the density: the pop-up, the alert and its question, the main window, the exit dialog, the message
# and information windows, the lookup window and its information dialog, each recorded and photographed.
record_every_window_at() {  # dpi
    local dpi=$1
    mkdir -p "$GEOMETRY_DIR/$dpi"
    set_display_dpi "$dpi"
    local system
    system=$(drive dpi | tr -d '\r' | value_of system)
    [ "$system" = "$dpi" ] || fail "Wine gives $system dpi with LogPixels $dpi" || return 1

    # The first start records the machine and changes its default; later ones find both as they were left (the
    # alert's "Fix It" and "No" change nothing), so one start each suffices.
    if [ "$dpi" = "$FIRST_DISPLAY_DPI" ]; then
        start_with_a_changed_default || fail "$dpi dpi: could not prepare the start" || return 1
    else
        start_app "$APP"
        app_up || fail "$dpi dpi: no main window" || return 1
    fi
    drive wait TPopupNotification "Quillcrest Active" 5000 visible >/dev/null || fail "$dpi dpi: no pop-up" || return 1
    sleep 0.3
    drive info TPopupNotification | tr -d '\r' >"$GEOMETRY_DIR/$dpi/TPopupNotification.info"
    dpi_shot "$dpi" popup '^Quillcrest Active$'

    tick $DEFAULT_CHECK_TIMER
    drive wait TAlertDlg "Quillcrest Alert" 10000 visible >/dev/null || fail "$dpi dpi: no alert" || return 1
    sleep 0.3
    record_geometry "$dpi" TAlertDlg || fail "$dpi dpi: alert not measured" || return 1
    dpi_shot "$dpi" alert '^Quillcrest Alert$'
    drive click TAlertDlg $((NOTICE_FIRST_BUTTON + 1)) >/dev/null
    drive box Confirm 10000 >/dev/null || fail "$dpi dpi: no revert question" || return 1
    dpi_shot "$dpi" confirm '^Confirm$'
    drive click-box Confirm $IDNO >/dev/null

    drive post "$MAIN_CLASS" $WM_COMMAND $WM_COMMAND_OPEN_ITEM 0 >/dev/null
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 10000 visible >/dev/null || fail "$dpi dpi: main window not shown" || return 1
    sleep 0.5
    record_geometry "$dpi" "$MAIN_CLASS" || fail "$dpi dpi: main window not measured" || return 1
    dpi_shot "$dpi" main-window "^${MAIN_CAPTION}\$"

    drive click "$MAIN_CLASS" use-opendns >/dev/null
    drive post "$MAIN_CLASS" $WM_CLOSE 0 0 >/dev/null
    drive wait TExitDlg "Quillcrest Alert" 10000 visible >/dev/null || fail "$dpi dpi: no exit dialog" || return 1
    sleep 0.3
    record_geometry "$dpi" TExitDlg || fail "$dpi dpi: exit dialog not measured" || return 1
    dpi_shot "$dpi" exit-dialog '^Quillcrest Alert$'
    drive click TExitDlg $((NOTICE_FIRST_BUTTON + 1)) >/dev/null
    poll 10 eval '! visible TExitDlg' || fail "$dpi dpi: exit dialog stayed" || return 1

    drive post "$MAIN_CLASS" $WM_COMMAND $BANNER_CLICKED 0 >/dev/null
    drive wait TAd "Quillcrest Message" 10000 visible >/dev/null || fail "$dpi dpi: no message window" || return 1
    sleep 0.3
    record_geometry "$dpi" TAd || fail "$dpi dpi: message window not measured" || return 1
    dpi_shot "$dpi" message-window '^Quillcrest Message$'
    drive post TAd $WM_CLOSE 0 0 >/dev/null

    drive click "$MAIN_CLASS" info >/dev/null
    drive wait TAbout Information 20000 visible >/dev/null || fail "$dpi dpi: no information window" || return 1
    sleep 0.5
    record_geometry "$dpi" TAbout || fail "$dpi dpi: information window not measured" || return 1
    dpi_shot "$dpi" information-window '^Information$'
    drive click TAbout info-ok >/dev/null
    poll 10 eval '! visible TAbout' || fail "$dpi dpi: information window stayed" || return 1

    open_lookup_window || fail "$dpi dpi: no lookup window" || return 1
    drive click TDNSCheck lookup-check >/dev/null
    drive wait TDNSokDlg Information 30000 visible >/dev/null || fail "$dpi dpi: no lookup result" || return 1
    sleep 0.3
    record_geometry "$dpi" TDNSokDlg || fail "$dpi dpi: lookup information not measured" || return 1
    dpi_shot "$dpi" lookup-ok '^Information$'
    drive click TDNSokDlg $NOTICE_FIRST_BUTTON >/dev/null
    sleep 0.5
    record_geometry "$dpi" TDNSCheck || fail "$dpi dpi: lookup window not measured" || return 1
    dpi_shot "$dpi" lookup-report '^Quillcrest Lookup Tool$'
    dpi_shot "$dpi" tray-icon '^Wine System Tray$'
    stop_all
}

every_window_scales_with_the_display_density() {
    rm -rf "$GEOMETRY_DIR"
    qc_start_lookupd 6066 || fail "reference lookup service did not start" || return 1
    local dpi status=0
    for dpi in $DISPLAY_DPIS; do
        record_every_window_at "$dpi" || status=1
        stop_all
    done
    set_display_dpi 96
    [ "$status" = 0 ] || return 1
    local popup96 file class measured
    popup96=$(value_of frame <"$GEOMETRY_DIR/96/TPopupNotification.info")
    for dpi in $DISPLAY_DPIS; do
        [ "$dpi" = 96 ] && continue
        for file in "$GEOMETRY_DIR/96/"*.txt; do
            class=$(basename "$file" .txt)
            measured=""
            case "$class" in TAlertDlg | TExitDlg | TDNSokDlg) measured=--measured-heights ;; esac
            python3 "$QC_ROOT/tests/e2e/check_scaled_geometry.py" "$file" "$GEOMETRY_DIR/$dpi/$class.txt" "$dpi" \
                $measured || status=1
        done
        local frame l t r b
        frame=$(value_of frame <"$GEOMETRY_DIR/$dpi/TPopupNotification.info")
        IFS=, read -r l t r b <<<"$frame"
        [ $((r - l))x$((b - t)) = $(((200 * dpi + 48) / 96))x$(((60 * dpi + 48) / 96)) ] ||
            fail "pop-up at $dpi dpi: $frame (at 96 dpi: $popup96)" || status=1
    done
    return "$status"
}
