# End-to-end case of DLL planting; sourced by run_e2e.sh and built on its shell functions. Windows looks for a DLL
# that is not a KnownDLL beside the program first. Wine does the same for a DLL whose load order is "native,builtin",
# so DLLs planted beside a copy of the program under the names of those it uses, each leaving a mark when loaded
# (qc_planted.dll), show whether the program ever loads one of them.

e2e_cases planted_dlls_beside_the_program_are_never_loaded

WM_GETOBJECT=0x003D
OBJID_CLIENT=-4

# The DLLs the program delay-loads (cmake/delay_imports), and comctl32, which the manifest's assembly names.
planted_dll_names() {
    sed -n 's/^LIBRARY[[:space:]]*//p' "$QC_ROOT"/cmake/delay_imports/*.def | tr -d '\r'
    echo comctl32.dll
}

planted_dlls_beside_the_program_are_never_loaded() {
    local dir="$ARTIFACTS/planted" names overrides name marks imports unexpected
    [ -f "$BUILD/qc_planted.dll" ] || fail "no qc_planted.dll in $BUILD" || return 1
    rm -rf "$dir"
    mkdir -p "$dir"
    cp "$APP" "$dir/Quillcrest.exe"
    names=$(planted_dll_names)
    for name in $names; do cp "$BUILD/qc_planted.dll" "$dir/$name"; done
    overrides="$WINEDLLOVERRIDES;$(sed 's/\.dll$//' <<<"$names" | paste -sd, -)=n,b"

    # The program at work: its start-up steps read the DNS servers, the window paints its banner, and the lookup
    # window's report is asked for its object for screen readers.
    WINEDLLOVERRIDES="$overrides" wine "$dir/Quillcrest.exe" >/dev/null 2>&1 &
    APP_PIDS+=("$!")
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1
    drive post-child TDNSCheck lookup-report $WM_GETOBJECT 0 $OBJID_CLIENT >/dev/null
    sleep 2
    stop_all
    # The elevated copy, as the runas start gives it its order.
    WINEDLLOVERRIDES="$overrides" timeout 60 wine "$dir/Quillcrest.exe" /set-dns "$TEST_INTERFACE=127.0.0.9" \
        >/dev/null 2>&1
    marks=$(cd "$dir" && ls -- *.loaded 2>/dev/null | tr '\n' ' ')
    [ -z "$marks" ] || fail "planted DLLs were loaded: $marks" || return 1

    # What the program imports at start is looked for before WinMain runs: only KnownDLLs, which Windows takes from
    # the system folder whatever the search order, and comctl32 through the manifest.
    imports=$(x86_64-w64-mingw32-objdump -p "$APP" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
    [ -n "$imports" ] || fail "objdump listed no imports of $APP" || return 1
    unexpected=$(grep -vxE 'kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|ws2_32|msvcrt|comctl32' \
        <<<"${imports//.dll/}" | tr '\n' ' ')
    [ -z "$unexpected" ] || fail "imported at start, so looked for beside the program first: $unexpected" || return 1
}
