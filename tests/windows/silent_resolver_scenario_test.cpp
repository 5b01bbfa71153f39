// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "base/win_handles_win.h"
#include "base/winsock_session_win.h"
#include "http/http_client.h"
#include "http/winsock_network_win.h"
#include "lookup/lookup_client_win.h"
#include "widgets/window_win.h"

namespace quillcrest {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Run by tests/windows/dns_scenarios.sh inside a mount namespace whose /etc/resolv.conf names one loopback DNS
// server, QC_SILENT_RESOLVER, that this test binds and never answers from (the file sets a short resolver
// time-out). Without the variable there is no such resolver, so an ordinary run skips these.
constexpr const char* kSilentResolverVariable = "QC_SILENT_RESOLVER";
// A name the hosts file does not know, so that only the silent server is asked.
constexpr char kUnansweredHost[] = "lookup.quillcrest.test";
constexpr UINT kTickMs = 50;
constexpr UINT_PTR kTickTimer = 1;

// A window standing for the program's: its timer ticks and every tick asks it to paint again.
class TickingWindow : public Window {
  public:
    TickingWindow() {
        Create("QuillcrestResolverWaitWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, 0, 40, 40, nullptr);
        ::SetTimer(hwnd(), kTickTimer, kTickMs, nullptr);
    }
    ~TickingWindow() override { ::KillTimer(hwnd(), kTickTimer); }

    int ticks = 0;
    int paints = 0;
    int quitAtTick = -1;  // posts a quit request at that tick

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TIMER && wParam == kTickTimer) {
            if (++ticks == quitAtTick)
                ::PostQuitMessage(5);
            ::InvalidateRect(hwnd(), nullptr, TRUE);
            return 0;
        }
        if (message == WM_PAINT) {
            ++paints;
            PAINTSTRUCT paint;
            ::BeginPaint(hwnd(), &paint);
            ::EndPaint(hwnd(), &paint);
            return 0;
        }
        return DefaultHandling(message, wParam, lParam);
    }
};

class SilentResolverScenario : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* server = std::getenv(kSilentResolverVariable);
        if (server == nullptr)
            GTEST_SKIP() << kSilentResolverVariable << " is not set";
        // The DNS server: bound, so nothing reports "port unreachable", and never read.
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(53);
        address.sin_addr.s_addr = ::inet_addr(server);
        silentServer_.reset(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
        ASSERT_TRUE(silentServer_);
        ASSERT_EQ(::bind(silentServer_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0)
            << "cannot bind the silent DNS server " << server << ":53: error " << ::WSAGetLastError();
    }

    static double SecondsSince(Clock::time_point start) {
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    WinsockSession session_;
    UniqueSocket silentServer_;
    TickingWindow window_;
};

TEST_F(SilentResolverScenario, LookupClientKeepsTheWindowAliveWhileTheResolverIsSilent) {
    WinsockLookupClient lookup;
    lookup.client().SetHost(kUnansweredHost);
    const auto start = Clock::now();
    const LookupQueryReply reply = lookup.client().QueryLookupService("127.0.0.53");
    const double seconds = SecondsSince(start);

    EXPECT_FALSE(reply.reached) << "a host that cannot be resolved is unreachable";
    ASSERT_GE(seconds, 0.9) << "the resolver answered at once: nothing was silent";
    // A blocked thread gets no tick at all; allow for the slowness of a busy machine.
    EXPECT_GE(window_.ticks, static_cast<int>(seconds * 1000 / kTickMs / 2)) << "over " << seconds << " s";
    EXPECT_GE(window_.paints, window_.ticks / 2);
}

TEST_F(SilentResolverScenario, QuitRequestEndsTheLookupClientsWaitForTheResolver) {
    window_.quitAtTick = 4;
    WinsockLookupClient lookup;
    lookup.client().SetHost(kUnansweredHost);
    const auto start = Clock::now();
    EXPECT_FALSE(lookup.client().QueryLookupService("127.0.0.53").reached);
    EXPECT_LT(SecondsSince(start), 0.9) << "the wait went on after the quit request";
    MSG message;
    ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit request was lost";
    EXPECT_EQ(message.wParam, 5u);
}

// The page client's name lookup counts against the fetch's countdown: a resolver slower than the time-out ends
// the fetch as silence does, while the window keeps ticking.
TEST_F(SilentResolverScenario, PageClientTimesOutOnASilentResolverAndKeepsTheWindowAlive) {
    WinsockNetwork network;
    HttpClient client(network);
    client.SetUrl(std::string("http://") + kUnansweredHost + "/page.html");
    client.SetTimeOut(1);
    const auto start = Clock::now();
    try {
        client.Get();
        FAIL() << "the page was fetched";
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), "Operation timed out");
    }
    const double seconds = SecondsSince(start);
    EXPECT_GE(seconds, 0.9);
    EXPECT_LT(seconds, 1.8) << "the countdown did not end the name lookup";
    EXPECT_GE(window_.ticks, static_cast<int>(seconds * 1000 / kTickMs / 2));
}

}  // namespace
}  // namespace quillcrest
