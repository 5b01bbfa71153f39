#!/usr/bin/env bash
# Throughput of the web page client against curl on the same pages in the same run (a benchmark, not a test).
# Fetches an 8 MiB page with Content-Length (from nginx when it is installed, else from the scripted server),
# and chunked and close-delimited from a fast scripted loopback server; prints each throughput (median of RUNS
# fetches, alternating client and curl) and the ratio to curl. Goal: at least 0.9 x curl.
# Two curl anchors: curl -o /dev/null keeps nothing, while the client keeps the whole body in memory; curl writing
# into a file in /dev/shm (memory too) is the fair one. The goal holds against both.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT="$ROOT/build/bench-http"
RUNS=${RUNS:-15}
SIZE=$((8 * 1024 * 1024))
source "$(dirname "${BASH_SOURCE[0]}")/environment.sh"
PIDS=()
SHM_FILE=/dev/shm/quillcrest-bench-http-$$.bin

cleanup() {
    rm -f "$SHM_FILE"
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
}
trap cleanup EXIT

mkdir -p "$OUT"
cd "$ROOT"

# The fetcher: the client's portable sources over POSIX sockets, optimised, without sanitizers.
sources=()
# The client and the text utilities it uses.
for f in src/http/*.cpp src/settings/*.cpp; do
    case "$f" in *_win.cpp) ;; *) sources+=("$f") ;; esac
done
g++ -std=c++17 -O2 -DNDEBUG -I src -I tests scripts/bench_http_fetch.cpp "${sources[@]}" -o "$OUT/fetch"

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

wait_for_port() {  # port
    local i
    for i in $(seq 1 100); do
        (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
        sleep 0.05
    done
    echo "nothing listens on port $1" >&2
    return 1
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# One fetch by our client: "status size seconds".
client_fetch() {  # url
    "$OUT/fetch" "$1" 1
}

# One fetch by curl, same form, into the file given (/dev/null, or a file in memory).
curl_fetch() {  # url file
    curl -s -o "$2" -w '%{http_code} %{size_download} %{time_total}\n' "$1"
}

# Fetches RUNS times with each, alternating so that load from elsewhere hits all alike, and prints the
# throughputs of the medians and their ratios, against curl keeping nothing and against curl keeping the body in
# memory. Fails when a fetch is not a 200 of SIZE bytes.
report() {  # label url
    local i
    : >"$OUT/client.times"
    : >"$OUT/curl.times"
    : >"$OUT/curl-memory.times"
    for i in $(seq 1 "$RUNS"); do
        client_fetch "$2" >>"$OUT/client.times"
        curl_fetch "$2" /dev/null >>"$OUT/curl.times"
        curl_fetch "$2" "$SHM_FILE" >>"$OUT/curl-memory.times"
        rm -f "$SHM_FILE"
    done
    local file
    for file in "$OUT/client.times" "$OUT/curl.times" "$OUT/curl-memory.times"; do
        awk -v size="$SIZE" '$1 != 200 || $2 != size { print "bad fetch: " $0 > "/dev/stderr"; exit 1 }' "$file"
    done
    local ours theirs theirsInMemory
    ours=$(awk '{ print $3 }' "$OUT/client.times" | median)
    theirs=$(awk '{ print $3 }' "$OUT/curl.times" | median)
    theirsInMemory=$(awk '{ print $3 }' "$OUT/curl-memory.times" | median)
    awk -v label="$1" -v ours="$ours" -v theirs="$theirs" -v memory="$theirsInMemory" -v size="$SIZE" 'BEGIN {
        mib = size / 1048576
        printf "%-34s client %8.1f MiB/s   curl %8.1f MiB/s   ratio %.2f x curl\n", label, mib / ours, mib / theirs, theirs / ours
        printf "%-34s client %8.1f MiB/s   curl %8.1f MiB/s   ratio %.2f x curl\n", label ", curl into memory", mib / ours, mib / memory, memory / ours
    }'
}

python3 scripts/bench_http_server.py "$SIZE" >"$OUT/server.port" &
PIDS+=($!)
for _ in $(seq 1 100); do [ -s "$OUT/server.port" ] && break; sleep 0.05; done
SCRIPTED_PORT=$(head -n 1 "$OUT/server.port")
wait_for_port "$SCRIPTED_PORT"

echo "8 MiB page, median of $RUNS fetches each"
if command -v nginx >/dev/null 2>&1; then
    NGINX_DIR="$OUT/nginx"
    NGINX_PORT=$(free_port)
    mkdir -p "$NGINX_DIR/www"
    python3 -c "import sys; sys.stdout.buffer.write(bytes((i * 7) & 0xFF for i in range(256)) * ($SIZE // 256))" >"$NGINX_DIR/www/page.bin"
    # The same server set-up the run command and the end-to-end tests use, on a port of its own; its readiness
    # probe asks for the two page names.
    touch "$NGINX_DIR/www/quillcrestinfo.html" "$NGINX_DIR/www/odnsad.html"
    QUILLCREST_MESSAGE_HOST="127.0.0.1:$NGINX_PORT" QUILLCREST_WEB_HOST="127.0.0.1:$NGINX_PORT" \
        qc_start_pages_server "$NGINX_DIR" "$NGINX_DIR/www" || exit 1
    PIDS+=("$QC_NGINX_PID")
    wait_for_port "$NGINX_PORT"
    report "Content-Length (nginx)" "http://127.0.0.1:$NGINX_PORT/page.bin"
else
    report "Content-Length (scripted server)" "http://127.0.0.1:$SCRIPTED_PORT/length"
fi
report "chunked (scripted server)" "http://127.0.0.1:$SCRIPTED_PORT/chunked"
report "to the close (scripted server)" "http://127.0.0.1:$SCRIPTED_PORT/close"
