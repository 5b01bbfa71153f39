# Shared set-up for the run and test commands: Debian packages, the project's Wine prefix, Xvfb and a
# persistent wineserver. Source it; it defines functions only.

QC_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QC_BUILD="$QC_ROOT/build"
export WINEPREFIX="${WINEPREFIX:-$QC_BUILD/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

QC_PACKAGES=(cmake make g++ googletest libgtest-dev libgmock-dev mingw-w64 g++-mingw-w64-x86-64-posix
             wine wine64 xvfb xauth xdotool imagemagick fonts-wine fonts-crosextra-carlito xcompmgr
             util-linux procps python3)

qc_log() { printf '[quillcrest] %s\n' "$*" >&2; }

qc_ensure_packages() {
    local missing=() p
    for p in "${QC_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    qc_log "installing Debian packages: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Creates and configures the prefix once: window manager stalls off, real Tahoma, Calibri mapped to Carlito,
# and the TCP/IP interfaces key that a fresh prefix lacks.
qc_ensure_prefix() {
    local marker="$WINEPREFIX/.quillcrest-ready"
    [ -f "$marker" ] && return 0
    qc_log "creating Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Calibri /d Carlito /f >/dev/null 2>&1
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    local carlito
    for carlito in /usr/share/fonts/truetype/crosextra/Carlito-*.ttf; do
        [ -f "$carlito" ] && cp "$carlito" "$WINEPREFIX/drive_c/windows/Fonts/"
    done
    wineserver -w
    touch "$marker"
}

# Starts Xvfb on a free display and exports DISPLAY. Sets QC_XVFB_PID.
qc_start_xvfb() {
    local n
    for n in $(seq 91 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        QC_XVFB_PID=$!
        local i
        for i in $(seq 1 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
        if kill -0 "$QC_XVFB_PID" 2>/dev/null; then
            export DISPLAY=":$n"
            return 0
        fi
    done
    qc_log "could not start Xvfb"
    return 1
}

qc_start_wineserver() {
    wineserver -p >/dev/null 2>&1
    wine cmd /c exit >/dev/null 2>&1 || true
}

qc_stop_wineserver() {
    wineserver -k >/dev/null 2>&1 || true
}
