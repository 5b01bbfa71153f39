#!/usr/bin/env python3
"""Fast scripted loopback page server for bench_http.sh: serves one prebuilt response per path, each sent
with a single sendall, so the server costs next to nothing next to the client being measured.

Paths: /length (Content-Length), /chunked (16 KiB chunks), /close (no length, ends with the close).
Prints the port it listens on, then serves until killed."""
import socket
import sys
import threading

size = int(sys.argv[1]) if len(sys.argv) > 1 else 8 * 1024 * 1024
body = bytes((i * 7) & 0xFF for i in range(256)) * (size // 256)

def chunked(data, piece=16384):
    out = bytearray()
    for i in range(0, len(data), piece):
        part = data[i:i + piece]
        out += b"%x\r\n" % len(part) + part + b"\r\n"
    return bytes(out + b"0\r\n\r\n")

responses = {
    b"/length": b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % len(body) + body,
    b"/chunked": b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + chunked(body),
    b"/close": b"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + body,
}

def serve(connection):
    with connection:
        request = b""
        while b"\r\n\r\n" not in request:
            data = connection.recv(4096)
            if not data:
                return
            request += data
        path = request.split(b" ")[1] if b" " in request else b"/"
        connection.sendall(responses.get(path, b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"))
        connection.shutdown(socket.SHUT_WR)
        connection.settimeout(5)
        try:
            while connection.recv(65536):
                pass
        except OSError:
            pass

listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
listener.bind(("127.0.0.1", 0))
listener.listen(16)
print(listener.getsockname()[1], flush=True)
while True:
    connection, _ = listener.accept()
    threading.Thread(target=serve, args=(connection,), daemon=True).start()
