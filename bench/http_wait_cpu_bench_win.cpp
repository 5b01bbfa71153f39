// CPU time the process spends while the web page client waits for a server that accepted the connection and
// then says nothing, until the client gives up ("Operation timed out"), and whether the window's timer keeps
// ticking meanwhile. The client is the program's own, over the real Winsock network, on the user-interface
// thread; the server is a thread of this program that blocks while it holds the connection open.
//
// Usage: http_wait_cpu_bench.exe [rounds, default 6]. Each round waits about 5 s. Prints every round and one
// result line "BENCH|page fetch wait|<figure>|<goal>|<ratio>|<verdict>" for the report script: the mean CPU time per
// wait, and whether every round got every tick.
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>

#include "base/exception.h"
#include "base/win_handles_win.h"
#include "http/http_client.h"
#include "http/winsock_network_win.h"
#include "ui_wait_probe_win.h"

using namespace quillcrest;

namespace {

constexpr char kBench[] = "page fetch wait CPU bench";
constexpr int kTimeOutSeconds = 5;
constexpr char kTimedOut[] = "Operation timed out";
// The wait must last the whole inactivity limit; ending much sooner means an error ended it instead.
constexpr double kShortestWaitMs = 4900;

// Accepts each connection and holds it without a word until told to let it go; accept and the wait on the
// release event block, so the server costs nothing while the client waits.
class SilentServer {
  public:
    explicit SilentServer(int connections)
        : listener_(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)),
          release_(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (!listener_ || !release_ ||
            ::bind(listener_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_.get(), 4) != 0)
            bench::Fail(kBench, "the silent server could not listen");
        int length = sizeof address;
        ::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this, connections] { Serve(connections); });
    }
    ~SilentServer() { thread_.join(); }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    std::uint16_t port() const { return port_; }
    // Closes the connection held now; the server then accepts the next one.
    void Release() { ::SetEvent(release_.get()); }

  private:
    void Serve(int connections) {
        for (int i = 0; i < connections; ++i) {
            UniqueSocket connection(::accept(listener_.get(), nullptr, nullptr));
            ::WaitForSingleObject(release_.get(), INFINITE);
        }
    }

    UniqueSocket listener_;
    UniqueKernelHandle release_;
    std::uint16_t port_ = 0;
    std::thread thread_;
};

// One fetch from the silent server; true when it gave up the way the program says a timeout.
bool FetchTimesOut(HttpClient& client) {
    try {
        client.Get();
        return false;
    } catch (const Exception& error) {
        return std::string(error.what()) == kTimedOut;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 6;

    WinsockNetwork network;
    // One connection for the warm-up, one per round.
    SilentServer server(rounds + 1);
    bench::TickWindow window;
    HttpClient client(network);
    client.SetUrl("http://127.0.0.1:" + std::to_string(server.port()) + "/silent");

    // First-use costs of Winsock belong to no wait: a fetch with the shortest limit pays them.
    client.SetTimeOut(1);
    if (!FetchTimesOut(client))
        bench::Fail(kBench, "the warm-up fetch did not time out");
    server.Release();

    client.SetTimeOut(kTimeOutSeconds);
    bench::ReportWaitRounds(kBench, "page fetch wait (silent server, 5 s)", rounds, window, [&] {
        const double start = bench::Now();
        const bool timedOut = FetchTimesOut(client);
        const double waitedMs = (bench::Now() - start) * 1e3;
        server.Release();
        return timedOut && waitedMs >= kShortestWaitMs;
    });
    return 0;
}
