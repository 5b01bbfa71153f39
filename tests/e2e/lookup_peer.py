#!/usr/bin/env python3
"""A scripted lookup service for the end-to-end tests: answers every request datagram with one fixed reply in
which "{server}" stands for the request's text. Usage: lookup_peer.py PORT REPLY. Stops on SIGTERM."""
import signal
import socket
import sys


def main():
    port = int(sys.argv[1])
    template = sys.argv[2]
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    peer = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    peer.bind(("127.0.0.1", port))
    while True:
        request, source = peer.recvfrom(8192)
        server = request.decode("latin-1")
        peer.sendto(template.replace("{server}", server).encode("latin-1"), source)


if __name__ == "__main__":
    main()
