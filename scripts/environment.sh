# Shared set-up for the run and test commands: Debian packages, the project's Wine prefixes, Xvfb and a
# persistent wineserver. Source it; it defines functions and variables only.
#
# The run command and the test command each have a prefix of their own (and each starts its own Xvfb), so
# running the program while the tests run disturbs neither. Scripts that are run on their own default to the
# test prefix; an exported WINEPREFIX (as the test command passes to its helpers) wins.

QC_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QC_BUILD="$QC_ROOT/build"
QC_TEST_PREFIX="$QC_BUILD/wineprefix-test"
QC_RUN_PREFIX="$QC_BUILD/wineprefix-run"
export WINEPREFIX="${WINEPREFIX:-$QC_TEST_PREFIX}"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# Raise this whenever qc_ensure_prefix changes what it sets up: a prefix whose marker names another version is
# set up again, so existing prefixes get the change too.
QC_PREFIX_SETUP_VERSION=2
QC_PREFIX_MARKER=".quillcrest-ready"

QC_PACKAGES=(cmake make g++ googletest libgtest-dev libgmock-dev mingw-w64 g++-mingw-w64-x86-64-posix
             wine wine64 xvfb xauth xdotool imagemagick fonts-wine fonts-crosextra-carlito xcompmgr trayer nsis
             clang-14 libfuzzer-14-dev geoip-database libgeoip-dev nginx-light
             util-linux procps python3)

qc_log() { printf '[quillcrest] %s\n' "$*" >&2; }

# Installs the missing packages, as root or through sudo. Services that packages would start on installation
# (nginx) stay stopped: the project starts its own instances on loopback ports.
qc_ensure_packages() {
    local missing=() p
    for p in "${QC_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    qc_log "installing Debian packages: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null 2>&1; then
            qc_log "missing packages and not root, and sudo is not installed: run this as root once"
            return 1
        fi
        sudo=(sudo)
    fi
    local policy=/usr/sbin/policy-rc.d added_policy=0
    if [ ! -e "$policy" ]; then
        printf '#!/bin/sh\nexit 101\n' | "${sudo[@]}" tee "$policy" >/dev/null && "${sudo[@]}" chmod 755 "$policy" &&
            added_policy=1
    fi
    local status=0
    "${sudo[@]}" apt-get update -qq || status=$?
    if [ "$status" -eq 0 ]; then
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || status=$?
    fi
    [ "$added_policy" -eq 1 ] && "${sudo[@]}" rm -f "$policy"
    if [ "$status" -ne 0 ]; then
        qc_log "package installation failed (apt-get exit status $status)"
        return 1
    fi
}

# The first line of a prefix's marker, "setup N": the set-up version it was made with.
qc_prefix_version() {  # prefix
    sed -n '1s/^setup \([0-9][0-9]*\)$/\1/p' "$1/$QC_PREFIX_MARKER" 2>/dev/null
}

# Creates and configures the prefix unless its marker names the current set-up version: window manager stalls
# off, real Tahoma and Marlett, Calibri mapped to Carlito, and the TCP/IP interfaces key that a fresh prefix
# lacks. Every step is checked; the marker is written only when all of them succeeded, so a failed set-up is
# redone at the next start instead of leaving a half-made prefix behind.
qc_ensure_prefix() {
    [ "$(qc_prefix_version "$WINEPREFIX")" = "$QC_PREFIX_SETUP_VERSION" ] && return 0
    mkdir -p "$(dirname "$WINEPREFIX")" || return 1
    # Two commands setting up the same prefix at once would interleave their steps.
    local lock_fd
    exec {lock_fd}>"$WINEPREFIX.lock" || return 1
    flock "$lock_fd"
    local status=0
    if [ "$(qc_prefix_version "$WINEPREFIX")" != "$QC_PREFIX_SETUP_VERSION" ]; then
        qc_setup_prefix || status=1
    fi
    exec {lock_fd}>&-
    return "$status"
}

qc_setup_prefix() {
    local marker="$WINEPREFIX/$QC_PREFIX_MARKER"
    qc_log "setting up Wine prefix $WINEPREFIX (set-up version $QC_PREFIX_SETUP_VERSION)"
    rm -f "$marker"
    # A server still running for this prefix (persistent, from an earlier run) would keep `wineserver -w`
    # below from ever returning.
    wineserver -k >/dev/null 2>&1
    mkdir -p "$WINEPREFIX" || return 1
    local out
    if ! out=$(wineboot -i 2>&1); then
        qc_log "wineboot -i failed in $WINEPREFIX:"
        printf '%s\n' "$out" | tail -n 20 >&2
        return 1
    fi
    qc_reg_add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N || return 1
    qc_reg_add 'HKCU\Software\Wine\Fonts\Replacements' /v Calibri /d Carlito || return 1
    qc_reg_add 'HKLM\SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\Interfaces' || return 1

    local fonts="$WINEPREFIX/drive_c/windows/Fonts" f copied=0
    mkdir -p "$fonts" || return 1
    for f in /usr/share/wine/fonts/*.ttf /usr/share/fonts/truetype/crosextra/Carlito-*.ttf; do
        [ -f "$f" ] || continue
        cp "$f" "$fonts/" || { qc_log "could not copy font $f into $fonts"; return 1; }
        copied=$((copied + 1))
    done
    for f in tahoma.ttf tahomabd.ttf marlett.ttf Carlito-Regular.ttf; do
        [ -f "$fonts/$f" ] || { qc_log "font $f missing after copying (fonts-wine, fonts-crosextra-carlito?)"; return 1; }
    done

    # Writes the registry to disk before the marker claims the prefix is ready.
    if ! timeout 120 wineserver -w; then
        qc_log "wineserver of $WINEPREFIX did not end after the set-up"
        return 1
    fi
    printf 'setup %s\ncreated %s\n' "$QC_PREFIX_SETUP_VERSION" "$(date -u +%Y-%m-%dT%H:%M:%S.%NZ)" >"$marker" || return 1
    qc_log "Wine prefix ready ($copied fonts copied)"
}

qc_reg_add() {  # key [/v name /d data]
    local out
    if ! out=$(wine reg add "$@" /f 2>&1); then
        qc_log "wine reg add $* failed in $WINEPREFIX:"
        printf '%s\n' "$out" | tail -n 5 >&2
        return 1
    fi
}

# Starts Xvfb on a free display and exports DISPLAY. Sets QC_XVFB_PID. The display is checked to belong to the
# started server (its lock file names our process): another command may start an Xvfb at the same moment.
qc_start_xvfb() {
    local n first=${1:-91} last=${2:-140}
    QC_XVFB_PID=""
    for n in $(seq "$first" "$last"); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        local pid=$! i
        for i in $(seq 1 100); do
            kill -0 "$pid" 2>/dev/null || break
            [ -e "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$pid" ] && break
            sleep 0.1
        done
        if kill -0 "$pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ] &&
            [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$pid" ]; then
            QC_XVFB_PID=$pid
            export DISPLAY=":$n"
            return 0
        fi
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    qc_log "could not start Xvfb on any display :$first to :$last"
    return 1
}

qc_stop_xvfb() {
    if [ -n "${QC_XVFB_PID:-}" ]; then
        kill "$QC_XVFB_PID" 2>/dev/null
        wait "$QC_XVFB_PID" 2>/dev/null
        QC_XVFB_PID=""
    fi
}

qc_start_wineserver() {
    wineserver -p >/dev/null 2>&1
    wine cmd /c exit >/dev/null 2>&1 || true
}

qc_stop_wineserver() {
    wineserver -k >/dev/null 2>&1 || true
}

# The pages of site/ served with nginx on the message server's and the web server's loopback addresses, as the
# program's build defaults name them (QUILLCREST_MESSAGE_HOST and QUILLCREST_WEB_HOST override them). nginx runs
# in the foreground as a child of the calling script, as the invoking user, from a configuration written under
# DIR, which also holds its pid, logs and temporary files. A test may serve another folder of pages in site/'s
# place. Sets QC_NGINX_PID.
QC_NGINX_PID=""

qc_start_pages_server() {  # dir [pages-folder]
    local dir=$1 root=${2:-$QC_ROOT/site} message=${QUILLCREST_MESSAGE_HOST:-127.0.0.1:8071} web=${QUILLCREST_WEB_HOST:-127.0.0.1:8070}
    local conf="$dir/nginx.conf" listen addr user_line=""
    mkdir -p "$dir/temp" || return 1
    rm -f "$dir/nginx.pid"
    # Run as root, nginx would hand its workers to "nobody"; keep them the invoking user's.
    [ "$(id -u)" -eq 0 ] && user_line="user $(id -un);"
    listen=""
    for addr in $(printf '%s\n' "$message" "$web" | sort -u); do
        [[ "$addr" == *:* ]] || addr="$addr:80"
        listen+="    server { listen $addr; root $root; }"$'\n'
    done
    cat >"$conf" <<CONF
$user_line
daemon off;
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/error.log;
events { worker_connections 64; }
http {
    access_log $dir/access.log;
    client_body_temp_path $dir/temp/client_body;
    proxy_temp_path $dir/temp/proxy;
    fastcgi_temp_path $dir/temp/fastcgi;
    uwsgi_temp_path $dir/temp/uwsgi;
    scgi_temp_path $dir/temp/scgi;
    types { text/html html; image/gif gif; image/png png; }
    default_type application/octet-stream;
$listen}
CONF
    nginx -c "$conf" -p "$dir" -e "$dir/error.log" >/dev/null 2>&1 &
    QC_NGINX_PID=$!
    local i
    for i in $(seq 1 50); do
        if ! kill -0 "$QC_NGINX_PID" 2>/dev/null; then
            wait "$QC_NGINX_PID" 2>/dev/null
            QC_NGINX_PID=""
            qc_log "nginx did not start (is $message or $web taken?); see $dir/error.log:"
            tail -n 5 "$dir/error.log" >&2 2>/dev/null
            return 1
        fi
        curl -sf -o /dev/null "http://$web/quillcrestinfo.html" && curl -sf -o /dev/null "http://$message/odnsad.html" &&
            return 0
        sleep 0.1
    done
    qc_log "nginx started but does not answer on $message and $web"
    qc_stop_pages_server
    return 1
}

qc_stop_pages_server() {
    [ -n "$QC_NGINX_PID" ] || return 0
    kill -QUIT "$QC_NGINX_PID" 2>/dev/null
    local i
    for i in $(seq 1 50); do
        kill -0 "$QC_NGINX_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$QC_NGINX_PID" 2>/dev/null && kill -TERM "$QC_NGINX_PID" 2>/dev/null
    wait "$QC_NGINX_PID" 2>/dev/null
    QC_NGINX_PID=""
}
