// Cost of one lookup run over three servers, all answered at once by a loopback peer, against the bare UDP
// round trips the run cannot avoid: one plain sendto/recvfrom of the same datagram to the same peer per server.
// The run is the real one: the program's Winsock lookup client (name resolution of the lookup host, its socket,
// its message-dispatching wait) and the loop that asks about each server and reads each reply. The peer is a
// thread of this program, so both sides meet the same scheduling.
//
// Usage: lookup_run_bench.exe [runs] [rounds]. Prints the medians and one result line
// "BENCH|lookup run|<figure>|<goal>|<ratio>|<verdict>" for the report script; the ratio is the run's median
// against its allowance of one round trip plus 1 ms per server.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <ws2tcpip.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "base/win_handles_win.h"
#include "base/winsock_session_win.h"
#include "bench_clock_win.h"
#include "bench_median.h"
#include "lookup/lookup_client_win.h"
#include "lookup/lookup_run.h"

using namespace quillcrest;
using bench::Now;

namespace {

constexpr double kAllowanceSecondsPerServer = 0.001;
// Six fields, long enough to be read as an answer; every address in it is a loopback one.
constexpr char kReply[] = "127.0.0.1;127.0.0.53;resolver.invalid;Nowhere;Nowhere;none";
// Tells the peer to end; no server address looks like it.
constexpr char kStop[] = "stop";
const std::vector<std::string> kServers = {"127.0.0.53", "127.0.0.54", "127.0.0.55"};
// A lost datagram would otherwise hang the bare side for ever.
constexpr DWORD kBareTimeoutMs = 2000;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "lookup run bench: %s\n", what);
    std::fflush(stderr);
    std::exit(2);
}

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

// Answers every datagram at once with the fixed reply, from a thread that blocks in recvfrom, so it costs
// nothing between requests.
class AnsweringPeer {
  public:
    AnsweringPeer() : socket_(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP)) {
        const sockaddr_in address = Loopback(0);
        if (!socket_ || ::bind(socket_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            Fail("the peer's socket could not be bound");
        sockaddr_in bound{};
        int length = sizeof bound;
        ::getsockname(socket_.get(), reinterpret_cast<sockaddr*>(&bound), &length);
        port_ = ntohs(bound.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~AnsweringPeer() {
        const sockaddr_in address = Loopback(port_);
        UniqueSocket sender(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
        ::sendto(sender.get(), kStop, sizeof kStop - 1, 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        thread_.join();
    }
    AnsweringPeer(const AnsweringPeer&) = delete;
    AnsweringPeer& operator=(const AnsweringPeer&) = delete;

    std::uint16_t port() const { return port_; }

  private:
    void Serve() {
        char buffer[2048];
        for (;;) {
            sockaddr_in from{};
            int length = sizeof from;
            const int got =
                ::recvfrom(socket_.get(), buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
            if (got == SOCKET_ERROR)
                continue;
            if (std::string(buffer, static_cast<std::size_t>(got)) == kStop)
                return;
            ::sendto(socket_.get(), kReply, sizeof kReply - 1, 0, reinterpret_cast<const sockaddr*>(&from), length);
        }
    }

    UniqueSocket socket_;
    std::uint16_t port_ = 0;
    std::thread thread_;
};

// The round trips alone: a blocking socket sends each server address to the peer and reads the reply.
class BareRoundTrips {
  public:
    explicit BareRoundTrips(std::uint16_t port)
        : socket_(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP)), peer_(Loopback(port)) {
        if (!socket_)
            Fail("the bare socket could not be opened");
        ::setsockopt(socket_.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&kBareTimeoutMs),
                     sizeof kBareTimeoutMs);
    }

    void Run() {
        for (const std::string& server : kServers) {
            if (::sendto(socket_.get(), server.data(), static_cast<int>(server.size()), 0,
                         reinterpret_cast<const sockaddr*>(&peer_), sizeof peer_) == SOCKET_ERROR)
                Fail("bare sendto failed");
            sockaddr_in from{};
            int length = sizeof from;
            if (::recvfrom(socket_.get(), buffer_, sizeof buffer_, 0, reinterpret_cast<sockaddr*>(&from), &length) <= 0)
                Fail("bare recvfrom got no reply");
        }
    }

  private:
    UniqueSocket socket_;
    sockaddr_in peer_;
    char buffer_[8192];
};

void RunLookup(LookupClient& client) {
    const std::vector<LookupResult> results = LookupEachServer(client, kServers);
    for (const LookupResult& result : results) {
        if (result.Outcome != LookupOutcome::Answered)
            Fail("a lookup was not answered: the run would measure something else");
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int perRound = argc > 1 ? std::max(10, std::atoi(argv[1])) : 1000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    const WinsockSession session;
    AnsweringPeer peer;
    LookupClientSettings settings;
    settings.port = peer.port();
    WinsockLookupClient lookup(settings);
    lookup.client().SetHost("127.0.0.1");
    BareRoundTrips bare(peer.port());

    // Warm-up: opening the client's socket and first-use costs of name resolution belong to neither side.
    for (int i = 0; i < 100; ++i) {
        RunLookup(lookup.client());
        bare.Run();
    }

    // Each run is paired with the bare round trips next to it, under the same machine load; which side goes
    // first alternates, so neither gains from its place in the pair.
    std::vector<double> runMillis, bareMillis;
    for (int round = 0; round < rounds; ++round) {
        std::vector<double> roundRuns, roundBare;
        for (int i = 0; i < perRound; ++i) {
            auto timeRun = [&lookup] {
                const double start = Now();
                RunLookup(lookup.client());
                return Now() - start;
            };
            auto timeBare = [&bare] {
                const double start = Now();
                bare.Run();
                return Now() - start;
            };
            double run, trips;
            if (i % 2 == 0) {
                run = timeRun();
                trips = timeBare();
            } else {
                trips = timeBare();
                run = timeRun();
            }
            roundRuns.push_back(run * 1e3);
            roundBare.push_back(trips * 1e3);
        }
        std::printf("round %d: lookup run %.3f ms, %zu bare round trips %.3f ms (medians of %d)\n", round + 1,
                    bench::Median(roundRuns), kServers.size(), bench::Median(roundBare), perRound);
        runMillis.insert(runMillis.end(), roundRuns.begin(), roundRuns.end());
        bareMillis.insert(bareMillis.end(), roundBare.begin(), roundBare.end());
    }

    const double run = bench::Median(runMillis);
    const double trips = bench::Median(bareMillis);
    const std::size_t servers = kServers.size();
    const double allowance = trips + servers * kAllowanceSecondsPerServer * 1e3;
    const double ratio = run / allowance;
    const bool met = ratio <= 1.0;
    std::printf(
        "lookup run over %zu answering servers: %.3f ms; %zu bare round trips: %.3f ms (%.3f ms each); "
        "medians of %zu runs\n",
        servers, run, servers, trips, trips / servers, runMillis.size());
    std::printf("allowance %zu x round trip + %.0f ms per server = %.3f ms; run / allowance %.3f (goal <= 1): %s\n",
                servers, kAllowanceSecondsPerServer * 1e3, allowance, ratio, met ? "met" : "NOT met");
    std::printf(
        "BENCH|lookup run (%zu servers)|%.3f ms vs %.3f ms for %zu round trips|<= %zu x RTT + 1 ms per "
        "server (%.3f ms)|%.3f x|%s\n",
        servers, run, trips, servers, servers, allowance, ratio, met ? "met" : "NOT met");
    std::fflush(stdout);
    return 0;
}
