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
             clang-14 libclang-rt-14-dev libfuzzer-14-dev geoip-database libgeoip-dev nginx-light
             util-linux mount procps python3)

# Every command and file outside the shell that the run and test commands reach, and the package that brings it
# ("command:package", or "/path:package"; a path may hold a glob). Checked after the installation, so a tool
# that no package on the list brings is named at once, not met later as a tier's puzzling failure. A bare
# Debian (debootstrap minbase) lacks all of these but coreutils, grep, sed, mawk, diffutils, util-linux and
# mount, which the scripts also use.
QC_REQUIRED=(cmake:cmake ctest:cmake make:make g++:g++ clang-14:clang-14 clang++-14:clang-14
             x86_64-w64-mingw32-gcc-posix:gcc-mingw-w64-x86-64-posix
             x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix
             x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64
             x86_64-w64-mingw32-objdump:binutils-mingw-w64-x86-64 makensis:nsis
             wine:wine wineboot:wine winepath:wine wineserver:wine Xvfb:xvfb xdotool:xdotool import:imagemagick
             xcompmgr:xcompmgr nginx:nginx-light python3:python3 unshare:util-linux flock:util-linux mount:mount
             timeout:coreutils awk:mawk cmp:diffutils
             /usr/src/googletest/CMakeLists.txt:googletest
             '/usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.asan-x86_64.a:libclang-rt-14-dev'
             '/usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a:libclang-rt-14-dev'
             /usr/share/GeoIP/GeoIP.dat:geoip-database /usr/share/wine/fonts/tahoma.ttf:fonts-wine)

qc_log() { printf '[quillcrest] %s\n' "$*" >&2; }

# Installs the missing packages (QC_PACKAGES and any given), as root or through sudo, then checks that
# everything QC_REQUIRED names is there. Services that packages would start on installation (nginx) stay
# stopped: the project starts its own instances on loopback ports.
qc_ensure_packages() {  # [extra-package...]
    qc_install_packages "$@" && qc_check_required
}

qc_install_packages() {  # [extra-package...]
    local missing=() p
    for p in "${QC_PACKAGES[@]}" "$@"; do
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
    # Left behind, the file would keep every package installed later on this machine from starting its service.
    local caller_traps
    caller_traps=$(trap -p INT TERM)
    # The traps' commands are expanded here on purpose: undo is quoted for the moment the trap runs.
    # shellcheck disable=SC2064
    if [ "$added_policy" -eq 1 ]; then
        local undo
        undo=$(printf '%q ' "$caller_traps" "${sudo[@]}" rm -f "$policy")
        trap "qc_interrupted_installation INT $undo" INT
        trap "qc_interrupted_installation TERM $undo" TERM
    fi
    local status=0
    "${sudo[@]}" apt-get update -qq || status=$?
    if [ "$status" -eq 0 ]; then
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || status=$?
    fi
    [ "$added_policy" -eq 1 ] && "${sudo[@]}" rm -f "$policy"
    trap - INT TERM
    eval "$caller_traps"
    if [ "$status" -ne 0 ]; then
        qc_log "package installation failed (apt-get exit status $status)"
        return 1
    fi
}

# Ctrl+C or TERM while packages are installed: runs the command that removes what the installation added, puts
# back the traps the caller had and passes the signal on to them (without any, it ends the shell as the signal
# would have).
qc_interrupted_installation() {  # signal caller-traps command...
    local signal=$1 caller_traps=$2
    shift 2
    "$@"
    trap - INT TERM
    eval "$caller_traps"
    kill -s "$signal" $$
}

# One line naming whatever QC_REQUIRED lists and this machine lacks, with the package to bring it.
qc_check_required() {
    local entry thing missing=()
    for entry in "${QC_REQUIRED[@]}"; do
        thing=${entry%:*}
        if [[ "$thing" == /* ]]; then
            compgen -G "$thing" >/dev/null && continue
        else
            command -v "$thing" >/dev/null 2>&1 && continue
        fi
        missing+=("$thing (package ${entry##*:})")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local list
    list=$(printf '%s, ' "${missing[@]}")
    qc_log "missing after the package installation: ${list%, }"
    return 1
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

# The set-up a benchmark script that drives the program shares: the prefix, a display (Xvfb on one of :150 to
# :190 when DISPLAY is unset) and a persistent wineserver. Sets OWN_WINESERVER to 1 when it started the server, so
# the script's clean-up stops only a server of its own.
qc_start_bench_session() {
    qc_ensure_prefix || return 1
    if [ -z "${DISPLAY:-}" ]; then
        qc_start_xvfb 150 190 || return 1
    fi
    wineserver -p >/dev/null 2>&1 && OWN_WINESERVER=1
    return 0
}

# The pages of site/ served with nginx on the message server's and the web server's loopback addresses, as the
# program's build defaults name them (QUILLCREST_MESSAGE_HOST and QUILLCREST_WEB_HOST override them). nginx runs
# in the foreground as a child of the calling script, as the invoking user, from a configuration written under
# DIR, which also holds its pid, logs and temporary files. A test may serve another folder of pages in site/'s
# place. Sets QC_NGINX_PID.
#
# QC_PAGES_SERVER_PROBLEM is the one place that says whether the pages are served: empty while the server started
# here answers, otherwise why it does not ("not started", "stopped", or what went wrong at its start). Whoever
# needs the pages consults it rather than finding out from a failed fetch.
QC_NGINX_PID=""
QC_PAGES_SERVER_PROBLEM="not started"
QC_PAGES_SERVER_READY_SECONDS=15

qc_start_pages_server() {  # dir [pages-folder]
    local dir=$1 root=${2:-$QC_ROOT/site} message=${QUILLCREST_MESSAGE_HOST:-127.0.0.1:8071} web=${QUILLCREST_WEB_HOST:-127.0.0.1:8070}
    local conf="$dir/nginx.conf" listen addr user_line=""
    QC_PAGES_SERVER_PROBLEM="starting"
    mkdir -p "$dir/temp" || { qc_pages_server_failed "could not create $dir/temp"; return 1; }
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
    [ $? -eq 0 ] || { qc_pages_server_failed "could not write $conf"; return 1; }
    rm -f "$dir/error.log"
    nginx -c "$conf" -p "$dir" -e "$dir/error.log" >"$dir/nginx.out" 2>&1 &
    QC_NGINX_PID=$!
    local deadline=$((SECONDS + QC_PAGES_SERVER_READY_SECONDS)) problem
    while :; do
        if ! kill -0 "$QC_NGINX_PID" 2>/dev/null; then
            wait "$QC_NGINX_PID" 2>/dev/null
            QC_NGINX_PID=""
            # The first complaint names the cause (a port taken, a bad setting); the last only sums up.
            problem=$(cat "$dir/nginx.out" "$dir/error.log" 2>/dev/null | grep -m 1 .)
            qc_pages_server_failed "nginx ended at its start: ${problem:-no message (see $dir)}"
            return 1
        fi
        # nginx writes its pid file once it holds its ports: before that, an answer would come from another server.
        if [ ! -s "$dir/nginx.pid" ]; then
            problem="nginx has not taken its ports yet"
        else
            problem=$(qc_page_problem "$web" /quillcrestinfo.html)
            [ -z "$problem" ] && problem=$(qc_page_problem "$message" /odnsad.html)
        fi
        if [ -z "$problem" ]; then
            QC_PAGES_SERVER_PROBLEM=""
            return 0
        fi
        # An answer other than the page will not change by waiting.
        [[ "$problem" == *" answered "* ]] || [ "$SECONDS" -ge "$deadline" ] && break
        sleep 0.1
    done
    qc_stop_pages_server
    qc_pages_server_failed "nginx runs but does not serve the pages: $problem"
    return 1
}

qc_pages_server_failed() {  # why
    QC_PAGES_SERVER_PROBLEM=$1
    qc_log "page server not serving: $1"
}

# Asks host:port for a page with bash's own /dev/tcp, so that the probe needs no tool that could be missing and
# its failures are the server's. Prints why the page is not served (no connection, no answer, the status line of
# another answer); prints nothing for a 200 answer.
qc_page_problem() {  # host:port path
    local host=${1%:*} port=${1##*:}
    [[ "$1" == *:* ]] || port=80
    (
        exec 2>/dev/null
        exec 3<>"/dev/tcp/$host/$port" || { echo "could not connect to $1"; exit; }
        printf 'GET %s HTTP/1.0\r\nHost: %s\r\n\r\n' "$2" "$1" >&3 || { echo "$1 closed the connection at once"; exit; }
        IFS= read -r -t 5 line <&3 || { echo "$1 sent no answer to GET $2 within 5 s"; exit; }
        line=${line%$'\r'}
        [[ "$line" =~ ^HTTP/1\.[01]\ 200\  ]] || echo "$1 answered \"$line\" to GET $2"
    )
}

# Ends the server started here, if any; the pages are no longer served.
qc_stop_pages_server() {
    [ -n "$QC_NGINX_PID" ] || return 0
    QC_PAGES_SERVER_PROBLEM="stopped"
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
