# Starts and stops the reference lookup service on loopback for the run command and the end-to-end tests.
# Source it after environment.sh; it defines functions only.

QC_LOOKUPD_PID=""

# The service binary of a native build (QC_LOOKUPD_BUILD_DIR, by default the test command's), built when missing.
qc_lookupd_binary() {
    local dir=${QC_LOOKUPD_BUILD_DIR:-$QC_BUILD/native}
    local binary="$dir/services/lookupd/quillcrest-lookupd"
    if [ ! -x "$binary" ]; then
        cmake -S "$QC_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Debug >/dev/null 2>&1 &&
            cmake --build "$dir" --target quillcrest-lookupd -j "$(nproc)" >/dev/null 2>&1
    fi
    [ -x "$binary" ] && echo "$binary"
}

# qc_start_lookupd [PORT]: runs the service on 127.0.0.1 in a mount namespace of its own whose resolv.conf names
# only loopback servers, so its reverse lookups of the servers it is asked about never leave the machine.
qc_start_lookupd() {
    local port=${1:-6066} binary dir
    binary=$(qc_lookupd_binary) || { qc_log "reference lookup service not built"; return 1; }
    dir="$QC_BUILD/lookupd"
    mkdir -p "$dir"
    printf 'nameserver 127.0.0.1\n' >"$dir/resolv.conf"
    local unshare="unshare -m"
    [ "$(id -u)" -ne 0 ] && unshare="unshare -rm"
    $unshare sh -c 'mount --bind "$1" /etc/resolv.conf && shift && exec "$@"' sh "$dir/resolv.conf" \
        env ASAN_OPTIONS=detect_leaks=0 "$binary" --address 127.0.0.1 --port "$port" \
        --rogue-list "$QC_ROOT/services/lookupd/rogue-servers.txt" >"$dir/requests.log" 2>&1 &
    QC_LOOKUPD_PID=$!
    local i
    for i in $(seq 1 50); do
        grep -q . "$dir/requests.log" 2>/dev/null && break
        kill -0 "$QC_LOOKUPD_PID" 2>/dev/null || { qc_log "lookup service did not start: $(cat "$dir/requests.log")"; return 1; }
        sleep 0.1
    done
    return 0
}

qc_stop_lookupd() {
    [ -n "$QC_LOOKUPD_PID" ] || return 0
    kill "$QC_LOOKUPD_PID" 2>/dev/null
    wait "$QC_LOOKUPD_PID" 2>/dev/null
    QC_LOOKUPD_PID=""
}
