// Fetches a page with the program's web page client over POSIX sockets and prints, for each run, the status,
// the body size and the seconds Get took. Built and run by bench_http.sh; not part of the program.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "http/http_client.h"
#include "support/http_posix_tcp_network.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s URL [RUNS]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 1;
    quillcrest::fakes::PosixTcpNetwork network;
    quillcrest::HttpClient client(network);
    client.SetUrl(argv[1]);
    for (int run = 0; run < runs; ++run) {
        try {
            const auto started = std::chrono::steady_clock::now();
            const int status = client.Get();
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
            std::printf("%d %zu %.6f\n", status, client.Body().size(), took.count());
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", error.what());
            return 1;
        }
    }
    return 0;
}
