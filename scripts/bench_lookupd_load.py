#!/usr/bin/env python3
"""Load generator and meter for scripts/bench_lookupd.sh (run inside its loopback-only network namespace).

Starts the service on 127.0.0.1:6066, a name server on 127.0.0.1:53 that never answers, and a well-behaved
client (this script with --client) that asks about one server once a second. Then, for SECONDS each:
  garbage  - junk datagrams from thousands of source addresses in 127.0.0.0/8
  valid    - valid requests from thousands of sources (more than the service's source table holds)
  hanging  - valid requests from hundreds of sources, each within its rate, about addresses whose reverse
             lookups go to the silent name server
and SIGTERM near the end of the last flood, while it goes on. One socket sends from any 127.x.y.z address by
naming the source in IP_PKTINFO, and gets the replies to all of them. Prints "BENCH|..." lines.
"""
import argparse
import os
import signal
import socket
import struct
import subprocess
import sys
import threading
import time

PORT = 6066
SERVICE = "127.0.0.1"
CLIENT_SERVER = b"1.2.3.4"  # named in the benchmark's hosts file
CLIENT_NAME = b"resolver1.bench.example"
CLIENT_TIMEOUT = 5.0  # the program's lookup timeout
HEADERS = 28  # IPv4 and UDP
AMPLIFICATION = 8  # the README's stated factor
REPLY_BUDGET = 1_000_000  # the service's default, bytes per second
IDLE_SECONDS = 10
FLOOD_RATES = {"garbage": 20000, "valid": 20000, "hanging": 1000}  # datagrams per second, at most
SO_RCVBUFFORCE = 33
IP_PKTINFO = 8  # Linux; the socket module does not name it


def source_address(block, n):
    return bytes((127, block, (n >> 8) & 0xFF, (n & 0xFF) or 1))


def rss_kib(pid, field="VmRSS"):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def line_count(path):
    with open(path, "rb") as log:
        return log.read().count(b"\n")


def percentile(values, fraction):
    if not values:
        return float("nan")
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(fraction * len(ordered)))]


def run_client(log_path, seconds):
    """The well-behaved client: once a second, one request, up to 5 s for its reply, as the program does."""
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind(("127.0.0.1", 0))
    sock.connect((SERVICE, PORT))
    sock.settimeout(CLIENT_TIMEOUT)
    start = time.monotonic()
    with open(log_path, "w") as log:
        tick = 0
        while time.monotonic() - start < seconds:
            sent, sent_at = time.monotonic(), time.time()
            sock.send(CLIENT_SERVER)
            latency, named = -1.0, 0
            try:
                while True:
                    reply = sock.recv(2048)
                    latency = (time.monotonic() - sent) * 1000
                    named = int(CLIENT_NAME in reply)
                    break
            except socket.timeout:
                pass
            log.write(f"{sent_at:.3f} {latency:.3f} {named}\n")
            log.flush()
            tick += 1
            time.sleep(max(0.0, start + tick - time.monotonic()))


def silent_name_server(stop, counter):
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind(("127.0.0.1", 53))
    sock.settimeout(0.2)
    while not stop.is_set():
        try:
            sock.recv(4096)
            counter[0] += 1
        except socket.timeout:
            pass


class Flooder:
    def __init__(self):
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.bind(("0.0.0.0", 0))
        try:
            self.sock.setsockopt(socket.SOL_SOCKET, SO_RCVBUFFORCE, 8 << 20)
        except OSError:
            pass
        self.sock.setblocking(False)

    def send(self, source, payload):
        pktinfo = struct.pack("i4s4s", 0, source, b"\0\0\0\0")
        try:
            self.sock.sendmsg([payload], [(socket.IPPROTO_IP, IP_PKTINFO, pktinfo)], 0, (SERVICE, PORT))
            return True
        except BlockingIOError:
            return False

    def drain(self):
        replies, size = 0, 0
        while True:
            try:
                size += len(self.sock.recv(2048)) + HEADERS
                replies += 1
            except BlockingIOError:
                return replies, size


def payloads(kind):
    n = 0
    while True:
        n += 1
        if kind == "garbage":
            yield source_address(10 + n % 4, n % 5000), b"junk" * (1 + n % 150)
        elif kind == "valid":
            # Half about private addresses (no lookup), half about a popular server whose name is cached.
            request = b"10.0.%d.%d" % ((n >> 8) & 0xFF, n & 0xFF or 1) if n % 2 else CLIENT_SERVER
            yield source_address(20 + n % 4, n % 6000), request
        else:
            # Each address once, so no cache helps; 500 sources at 2 a second each stay within their rate.
            yield source_address(30, n % 500), b"45.%d.%d.%d" % ((n >> 16) & 0xFF, (n >> 8) & 0xFF, n & 0xFF or 1)


def flood(service, flooder, kind, seconds, log_path, terminate_before_end=None):
    """Floods for `seconds`; returns what it measured. With terminate_before_end, sends SIGTERM that long
    before the end and goes on flooding until the service has exited."""
    rate = FLOOD_RATES[kind]
    result = {"sent": 0, "sent_bytes": 0, "replies": 0, "reply_bytes": 0, "rss": [], "exit_ms": None}
    lines_before = line_count(log_path)
    start = time.monotonic()
    next_sample = start
    terminated_at = None
    source = payloads(kind)
    while True:
        now = time.monotonic()
        elapsed = now - start
        if terminated_at is None and elapsed >= seconds:
            break
        if terminate_before_end is not None and terminated_at is None and elapsed >= seconds - terminate_before_end:
            result["peak_kib"] = rss_kib(service.pid, "VmHWM")
            service.send_signal(signal.SIGTERM)
            terminated_at = time.monotonic()
        if terminated_at is not None:
            if service.poll() is not None:
                result["exit_ms"] = (time.monotonic() - terminated_at) * 1000
                break
            if now - terminated_at > 10:
                break
        if now >= next_sample and terminated_at is None:
            result["rss"].append((elapsed, rss_kib(service.pid)))
            next_sample += 0.5
        # A batch at the flood's rate, then the replies.
        due = int(elapsed * rate) - result["sent"]
        for _ in range(min(due, 200)):
            address, payload = next(source)
            if flooder.send(address, payload):
                result["sent"] += 1
                result["sent_bytes"] += len(payload) + HEADERS
        replies, size = flooder.drain()
        result["replies"] += replies
        result["reply_bytes"] += size
        if due <= 0:
            time.sleep(0.001)
    time.sleep(0.3)
    replies, size = flooder.drain()
    result["replies"] += replies
    result["reply_bytes"] += size
    result["seconds"] = time.monotonic() - start
    result["log_lines"] = line_count(log_path) - lines_before
    return result


def growth_kib(samples):
    """RSS at the end of a flood against a quarter into it: growth with the flood's length."""
    if len(samples) < 4:
        return 0
    quarter = samples[len(samples) // 4][1]
    return max(s[1] for s in samples[len(samples) // 4:]) - quarter


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--client", help="run as the well-behaved client, writing to this file")
    parser.add_argument("--service")
    parser.add_argument("--rogue-list")
    parser.add_argument("--work")
    parser.add_argument("--seconds", type=float, default=20)
    args = parser.parse_args()
    if args.client:
        run_client(args.client, args.seconds)
        return 0

    stop = threading.Event()
    queries = [0]
    name_server = threading.Thread(target=silent_name_server, args=(stop, queries), daemon=True)
    name_server.start()

    service_log = os.path.join(args.work, "service.log")
    client_log = os.path.join(args.work, "client.log")
    with open(service_log, "w") as out:
        service = subprocess.Popen([args.service, "--address", SERVICE, "--port", str(PORT), "--rogue-list",
                                    args.rogue_list], stdout=out, stderr=subprocess.STDOUT)
    for _ in range(100):
        if line_count(service_log) > 0:
            break
        time.sleep(0.05)
    total = IDLE_SECONDS + 3 * args.seconds + 2
    client = subprocess.Popen([sys.executable, __file__, "--client", client_log, "--seconds", str(total)])
    try:
        return measure(args, service, client, service_log, client_log, stop, name_server, queries)
    finally:
        for process in (service, client):
            if process.poll() is None:
                process.kill()
                process.wait()


def measure(args, service, client, service_log, client_log, stop, name_server, queries):

    phases = [("idle", time.time())]
    time.sleep(IDLE_SECONDS)
    flooder = Flooder()
    results = {}
    for kind in ("garbage", "valid", "hanging"):
        phases.append((kind, time.time()))
        results[kind] = flood(service, flooder, kind, args.seconds, service_log,
                              terminate_before_end=2 if kind == "hanging" else None)
        print(f"{kind}: {results[kind]['sent']} sent, {results[kind]['replies']} replies, "
              f"{results[kind]['log_lines']} log lines in {results[kind]['seconds']:.1f} s", flush=True)
    phases.append(("end", time.time()))
    if service.poll() is None:
        service.kill()
    client.wait(timeout=CLIENT_TIMEOUT + 5)
    stop.set()
    name_server.join()

    # The client's answers by phase.
    asks = []
    with open(client_log) as log:
        for line in log:
            t, latency, named = line.split()
            asks.append((float(t), float(latency), int(named)))
    by_phase = {}
    for (name, begin), (_, end) in zip(phases, phases[1:]):
        by_phase[name] = [a for a in asks if begin <= a[0] < end]
    # The last flood ends with the stop: only its asks before SIGTERM count.
    hanging_end = phases[3][1] + results["hanging"]["seconds"] - 2 - (results["hanging"]["exit_ms"] or 0) / 1000
    by_phase["hanging"] = [a for a in by_phase["hanging"] if a[0] < hanging_end]

    def summary(name):
        phase = by_phase[name]
        latencies = [a[1] for a in phase if a[1] >= 0]
        return len(phase), len(latencies), sum(a[2] for a in phase), percentile(latencies, 0.5), \
            percentile(latencies, 0.99)

    rows = {name: summary(name) for name in ("idle", "garbage", "valid", "hanging")}
    for name, (asked, answered, named, p50, p99) in rows.items():
        print(f"client during {name}: {answered}/{asked} answered, {named} with the name, "
              f"p50 {p50:.2f} ms, p99 {p99:.2f} ms", flush=True)
    print(f"silent name server got {queries[0]} queries", flush=True)

    floods = ("garbage", "valid", "hanging")
    asked = sum(rows[f][0] for f in floods)
    answered = sum(rows[f][1] for f in floods)
    named = sum(rows[f][2] for f in floods)
    figure = ", ".join(f"{f} {rows[f][1]}/{rows[f][0]}" for f in floods)
    print(f"BENCH|lookupd: well-behaved client's answers under floods|{figure} ({named} with the name)|"
          f"all|{answered / max(asked, 1):.2f}|{'met' if answered == asked and named == asked else 'NOT met'}")

    worst_p99 = max(rows[f][4] for f in floods)
    figure = f"idle {rows['idle'][3]:.1f}/{rows['idle'][4]:.1f}; " + "; ".join(
        f"{f} {rows[f][3]:.1f}/{rows[f][4]:.1f}" for f in floods)
    print(f"BENCH|lookupd: client latency p50/p99 ms, idle and under floods|{figure}|p99 <= 1000 ms|"
          f"{worst_p99 / 1000:.3f} x|{'met' if worst_p99 <= 1000 else 'NOT met'}")

    peak = results["hanging"].get("peak_kib", 0)
    growth = max(growth_kib(results[f]["rss"]) for f in floods)
    print(f"BENCH|lookupd: peak memory (VmHWM), growth in the last 3/4 of a flood|{peak / 1024:.1f} MiB, "
          f"+{growth} KiB|bounded, no growth|-|{'met' if growth <= 1024 else 'NOT met'}")

    rates = {f: results[f]["log_lines"] / results[f]["seconds"] for f in floods}
    worst_rate = max(rates.values())
    figure = ", ".join(f"{f} {rates[f]:.2f}" for f in floods)
    print(f"BENCH|lookupd: log lines per second under floods|{figure}|<= 2 /s|{worst_rate / 2:.2f} x|"
          f"{'met' if worst_rate <= 2 else 'NOT met'}")

    spoofed = results["valid"]
    ratio = spoofed["reply_bytes"] / max(spoofed["sent_bytes"], 1)
    out_rate = spoofed["reply_bytes"] / spoofed["seconds"]
    # The budget starts full: one second's worth on top of the rate.
    allowed = REPLY_BUDGET * (spoofed["seconds"] + 1)
    print(f"BENCH|lookupd: spoofed valid flood, bytes out / bytes in (headers in)|{ratio:.3f} "
          f"({out_rate / 1000:.0f} kB/s out of {spoofed['sent_bytes'] / spoofed['seconds'] / 1000:.0f} kB/s in)|"
          f"<= {AMPLIFICATION}; <= {REPLY_BUDGET // 1000} kB/s + 1 s burst|{ratio / AMPLIFICATION:.3f} x|"
          f"{'met' if ratio <= AMPLIFICATION and spoofed['reply_bytes'] <= allowed else 'NOT met'}")

    exit_ms = results["hanging"]["exit_ms"]
    if exit_ms is None:
        print("BENCH|lookupd: SIGTERM to exit during a flood|did not exit within 10 s|<= 1000 ms|-|NOT met")
    else:
        print(f"BENCH|lookupd: SIGTERM to exit during a flood|{exit_ms:.0f} ms|<= 1000 ms|{exit_ms / 1000:.3f} x|"
              f"{'met' if exit_ms <= 1000 else 'NOT met'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
