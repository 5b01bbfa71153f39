// CPU time the process spends while the lookup client waits the whole receive timeout for a reply that never
// comes, and whether the window's timer keeps ticking meanwhile. The client is the program's own Winsock lookup
// client on the user-interface thread; the service is a loopback UDP socket that is bound (so nothing reports
// "port unreachable") but never read.
//
// Usage: lookup_wait_cpu_bench.exe [rounds, default 6]. Each round waits about 5 s. Prints every round and one
// result line "BENCH|lookup wait|<figure>|<goal>|<ratio>|<verdict>" for the report script: the mean CPU time per wait,
// and whether every round got every tick.
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "base/win_handles_win.h"
#include "base/winsock_session_win.h"
#include "lookup/lookup_client_win.h"
#include "ui_wait_probe_win.h"

using namespace quillcrest;

namespace {

constexpr char kBench[] = "lookup wait CPU bench";
constexpr std::chrono::milliseconds kReceiveTimeout{5000};
// The wait must last the whole timeout; ending much sooner means an error ended it instead.
constexpr double kShortestWaitMs = 4900;

// A bound UDP port on loopback that never answers; it is never read, so it costs nothing.
class SilentPort {
  public:
    SilentPort() : socket_(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (!socket_ || ::bind(socket_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            bench::Fail(kBench, "the silent port could not be bound");
        int length = sizeof address;
        ::getsockname(socket_.get(), reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    std::uint16_t port() const { return port_; }

  private:
    UniqueSocket socket_;
    std::uint16_t port_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 6;

    const WinsockSession session;
    const SilentPort silent;
    bench::TickWindow window;

    LookupClientSettings settings;
    settings.port = silent.port();
    // First-use costs of Winsock and name resolution belong to no wait: a client with a short timeout pays them.
    {
        LookupClientSettings quick = settings;
        quick.receiveTimeout = std::chrono::milliseconds(50);
        WinsockLookupClient warmUp(quick);
        warmUp.client().SetHost("127.0.0.1");
        if (!warmUp.client().QueryLookupService("127.0.0.53").reached)
            bench::Fail(kBench, "the warm-up exchange could not reach the silent port");
    }

    settings.receiveTimeout = kReceiveTimeout;
    WinsockLookupClient lookup(settings);
    lookup.client().SetHost("127.0.0.1");
    bench::ReportWaitRounds(kBench, "lookup wait (silent service, 5 s)", rounds, window, [&lookup] {
        const double start = bench::Now();
        const LookupQueryReply reply = lookup.client().QueryLookupService("127.0.0.53");
        // A silent service is reached and answers nothing once the timeout has passed.
        return reply.reached && reply.reply.empty() && (bench::Now() - start) * 1e3 >= kShortestWaitMs;
    });
    return 0;
}
