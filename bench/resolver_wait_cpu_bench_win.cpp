// CPU time the process spends while the lookup client waits for a name lookup that the resolver never answers,
// and whether the window's timer keeps ticking meanwhile. The name lookup runs on a worker thread; the user-
// interface thread waits for it with the message-dispatching wait.
//
// Needs a resolver that never answers: scripts/bench_resolver_wait.sh runs this program in a private mount
// namespace whose /etc/resolv.conf names one loopback server (QC_SILENT_RESOLVER) with a short time-out, and this
// program binds that server's port and never reads it. Without the variable it says so and does nothing.
//
// Usage: resolver_wait_cpu_bench.exe [rounds, default 4]. Prints every round and one result line
// "BENCH|resolver wait|<figure>|<goal>|<ratio>|<verdict>".
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/win_handles_win.h"
#include "base/winsock_session_win.h"
#include "lookup/lookup_client_win.h"
#include "ui_wait_probe_win.h"

using namespace quillcrest;

namespace {

constexpr char kBench[] = "resolver wait CPU bench";
constexpr char kSilentResolverVariable[] = "QC_SILENT_RESOLVER";
// A name the hosts file does not know, so that only the silent server is asked.
constexpr char kUnansweredHost[] = "lookup.quillcrest.test";
// The resolver's time-out in the namespace is 2 s; ending much sooner means the resolver answered after all.
constexpr double kShortestWaitMs = 1500;

}  // namespace

int main(int argc, char** argv) {
    const char* server = std::getenv(kSilentResolverVariable);
    if (server == nullptr) {
        std::printf("%s: %s is not set; run it through scripts/bench_resolver_wait.sh\n", kBench,
                    kSilentResolverVariable);
        return 0;
    }
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 4;

    const WinsockSession session;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(53);
    address.sin_addr.s_addr = ::inet_addr(server);
    const UniqueSocket silent(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!silent || ::bind(silent.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        bench::Fail(kBench, std::string("the silent DNS server could not be bound on ") + server + ":53");
    bench::TickWindow window;

    WinsockLookupClient lookup;
    lookup.client().SetHost(kUnansweredHost);
    bench::ReportWaitRounds(kBench, "resolver wait (silent resolver, 2 s)", rounds, window, [&lookup] {
        const double start = bench::Now();
        const LookupQueryReply reply = lookup.client().QueryLookupService("127.0.0.53");
        // A host that cannot be resolved leaves the service unreachable, once the resolver gave up.
        return !reply.reached && (bench::Now() - start) * 1e3 >= kShortestWaitMs;
    });
    return 0;
}
