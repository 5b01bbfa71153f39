// The least any client that keeps a page in memory can do: one GET, then every byte the server sends received
// straight into one block of memory until the server closes, with no HTTP reading at all. bench_http.sh sets the
// web page client beside it, so what the client costs beyond receiving into memory shows apart from what this
// machine makes receiving into fresh memory cost. Not part of the program.
//
// Usage: bench_http_bare_receive HOST PORT PATH CAPACITY
// Prints "status bytes seconds" like the other fetchers: the status is read off the status line, bytes are the
// ones after the header lines (chunk framing included), seconds from the connect to the close.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s HOST PORT PATH CAPACITY\n", argv[0]);
        return 2;
    }
    const std::size_t capacity = std::strtoull(argv[4], nullptr, 10);
    const auto started = std::chrono::steady_clock::now();
    // Not zero-filled, as a client's receive buffer: only the receive calls write it.
    const std::unique_ptr<char[]> memory(new char[capacity]);

    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<std::uint16_t>(std::atoi(argv[2])));
    if (socket < 0 || ::inet_pton(AF_INET, argv[1], &server.sin_addr) != 1 ||
        ::connect(socket, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0) {
        std::perror("connect");
        return 1;
    }
    const std::string request =
        std::string("GET ") + argv[3] + " HTTP/1.1\r\nHost: " + argv[1] + "\r\nConnection: close\r\n\r\n";
    if (::send(socket, request.data(), request.size(), 0) != static_cast<ssize_t>(request.size())) {
        std::perror("send");
        return 1;
    }
    std::size_t received = 0;
    for (;;) {
        if (received == capacity) {
            std::fprintf(stderr, "more than %zu bytes\n", capacity);
            return 1;
        }
        const ssize_t got = ::recv(socket, memory.get() + received, capacity - received, 0);
        if (got < 0) {
            std::perror("recv");
            return 1;
        }
        if (got == 0)
            break;
        received += static_cast<std::size_t>(got);
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    ::close(socket);

    static constexpr char kHeadersEnd[] = "\r\n\r\n";
    const char* const begin = memory.get();
    const char* const end = begin + received;
    const char* const headersEnd = std::search(begin, end, kHeadersEnd, kHeadersEnd + 4);
    const std::string statusLine(memory.get(), std::min<std::size_t>(received, 32));
    int status = 0;
    std::sscanf(statusLine.c_str(), "HTTP/1.1 %d", &status);
    const std::size_t bodyBytes = headersEnd == end ? 0 : static_cast<std::size_t>(end - (headersEnd + 4));
    std::printf("%d %zu %.6f\n", status, bodyBytes, took.count());
    return 0;
}
