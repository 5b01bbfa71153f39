#include <windows.h>
#include <gtest/gtest.h>
#include <winsock2.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/win_handles_win.h"
#include "base/winsock_session_win.h"
#include "lookup/lookup_client_win.h"
#include "lookup/lookup_reply.h"
#include "lookup/udp_socket_win.h"

namespace quillcrest {
namespace {

using std::chrono::milliseconds;

constexpr std::uint32_t kLoopback = 0x7F000001;
constexpr milliseconds kShortTimeout{400};

UniqueSocket BoundLoopbackSocket(std::uint16_t port = 0) {
    UniqueSocket socket(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(kLoopback);
    address.sin_port = htons(port);
    EXPECT_EQ(::bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    return socket;
}

std::uint16_t LocalPort(SOCKET socket) {
    sockaddr_in address{};
    int length = sizeof address;
    ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

// A loopback UDP peer that answers each request with the next scripted reply (nothing: stays silent).
class LoopbackPeer {
  public:
    // Before each reply, a datagram from another port of the same host reaches the asker.
    static constexpr bool kStrangerSpeaksFirst = true;

    explicit LoopbackPeer(std::vector<std::optional<std::string>> replies,
                          bool strangerSpeaksFirst = false,
                          std::uint16_t port = 0)
        : socket_(BoundLoopbackSocket(port)),
          stranger_(BoundLoopbackSocket()),
          replies_(std::move(replies)),
          strangerSpeaksFirst_(strangerSpeaksFirst) {
        DWORD tick = 20;
        ::setsockopt(socket_.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&tick), sizeof tick);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackPeer() {
        stop_ = true;
        thread_.join();
    }

    std::uint16_t port() const { return LocalPort(socket_.get()); }
    int requests() const { return requests_; }

  private:
    void Serve() {
        char buffer[2048];
        std::size_t next = 0;
        while (!stop_) {
            sockaddr_in from{};
            int length = sizeof from;
            const int got =
                ::recvfrom(socket_.get(), buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
            if (got == SOCKET_ERROR)
                continue;
            ++requests_;
            if (strangerSpeaksFirst_) {
                const std::string forged = "forged";
                ::sendto(stranger_.get(), forged.data(), static_cast<int>(forged.size()), 0,
                         reinterpret_cast<const sockaddr*>(&from), length);
                std::this_thread::sleep_for(milliseconds(50));
            }
            if (next < replies_.size() && replies_[next]) {
                const std::string& reply = *replies_[next];
                ::sendto(socket_.get(), reply.data(), static_cast<int>(reply.size()), 0,
                         reinterpret_cast<const sockaddr*>(&from), length);
            }
            ++next;
        }
    }

    UniqueSocket socket_;
    UniqueSocket stranger_;
    std::vector<std::optional<std::string>> replies_;
    bool strangerSpeaksFirst_;
    std::atomic<int> requests_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Ticks of a thread timer: they only arrive when somebody dispatches this thread's messages.
std::atomic<int> timerTicks{0};
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) {
    ++timerTicks;
}

class LookupUdpSocketTest : public ::testing::Test {
  protected:
    WinsockSession session;
};

TEST_F(LookupUdpSocketTest, TheReplyOfTheConnectedPeerArrives) {
    LoopbackPeer peer({std::string("203.0.113.7;8.8.8.8;dns.google;United States;United States;none")});
    UdpSocket socket;
    socket.Connect({kLoopback, peer.port()});
    socket.DiscardPending();
    socket.Send("8.8.8.8");

    const std::optional<std::string> reply = socket.Receive(8192, std::chrono::seconds(5));

    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(*reply, "203.0.113.7;8.8.8.8;dns.google;United States;United States;none");
}

TEST_F(LookupUdpSocketTest, SilenceEndsAtTheTimeoutWithNothing) {
    LoopbackPeer peer({std::nullopt});
    UdpSocket socket;
    socket.Connect({kLoopback, peer.port()});
    socket.Send("8.8.8.8");

    const auto started = std::chrono::steady_clock::now();
    const std::optional<std::string> reply = socket.Receive(8192, kShortTimeout);
    const auto waited = std::chrono::steady_clock::now() - started;

    EXPECT_FALSE(reply.has_value());
    EXPECT_GE(waited, kShortTimeout - milliseconds(20));
    EXPECT_LT(waited, kShortTimeout + std::chrono::seconds(2));
}

TEST_F(LookupUdpSocketTest, ALongerDatagramIsCutToTheBuffer) {
    LoopbackPeer peer({std::string(100, 'x')});
    UdpSocket socket;
    socket.Connect({kLoopback, peer.port()});
    socket.Send("8.8.8.8");

    const std::optional<std::string> reply = socket.Receive(10, std::chrono::seconds(5));

    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(*reply, std::string(10, 'x'));
}

TEST_F(LookupUdpSocketTest, DatagramsFromOtherPortsAreDropped) {
    LoopbackPeer peer({std::string("from the peer")}, LoopbackPeer::kStrangerSpeaksFirst);
    UdpSocket socket;
    socket.Connect({kLoopback, peer.port()});
    socket.Send("8.8.8.8");

    const std::optional<std::string> reply = socket.Receive(8192, std::chrono::seconds(5));

    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(*reply, "from the peer");
}

TEST_F(LookupUdpSocketTest, APortThatIsNotListeningIsReportedAsAnError) {
    UniqueSocket closed = BoundLoopbackSocket();
    const std::uint16_t port = LocalPort(closed.get());
    closed.reset();
    UdpSocket socket;
    socket.Connect({kLoopback, port});

    // Windows refuses the first datagram already (10054); Wine only the ones after it (10061).
    int refusals = 0;
    bool lastRefused = false;
    for (int attempt = 0; attempt < 2; ++attempt) {
        socket.DiscardPending();
        lastRefused = false;
        try {
            socket.Send("8.8.8.8");
            socket.Receive(8192, kShortTimeout);
        } catch (const ELookupTransportError& error) {
            ++refusals;
            lastRefused = true;
            const std::string message = error.what();
            EXPECT_TRUE(message.find("10054") != std::string::npos || message.find("10061") != std::string::npos)
                << message;
        }
    }
    EXPECT_GE(refusals, 1);
    EXPECT_TRUE(lastRefused);
}

TEST_F(LookupUdpSocketTest, AServiceThatComesBackIsReachedAfterRefusals) {
    UniqueSocket closed = BoundLoopbackSocket();
    const std::uint16_t port = LocalPort(closed.get());
    closed.reset();
    WinsockLookupClient lookup(LookupClientSettings{port, kShortTimeout, kLookupReceiveBufferBytes});
    lookup.client().SetHost("127.0.0.1");
    lookup.client().QueryLookupService("8.8.8.8");
    EXPECT_FALSE(lookup.client().QueryLookupService("8.8.8.8").reached);

    LoopbackPeer peer({std::string("back again")}, false, port);
    const LookupQueryReply query = lookup.client().QueryLookupService("8.8.8.8");

    EXPECT_TRUE(query.reached);
    EXPECT_EQ(query.reply, "back again");
}

TEST_F(LookupUdpSocketTest, WindowMessagesAreDispatchedWhileWaiting) {
    LoopbackPeer peer({std::nullopt});
    UdpSocket socket;
    socket.Connect({kLoopback, peer.port()});
    socket.Send("8.8.8.8");
    timerTicks = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, CountTick);
    ASSERT_NE(timer, 0u);

    const std::optional<std::string> reply = socket.Receive(8192, milliseconds(500));
    ::KillTimer(nullptr, timer);

    EXPECT_FALSE(reply.has_value());
    EXPECT_GE(timerTicks.load(), 5);
}

TEST_F(LookupUdpSocketTest, TheProcessClientAsksTheServiceAndParsesTheReply) {
    LoopbackPeer peer({std::string("203.0.113.7;10.0.0.138;gateway;Canada;Unknown;Rogue server")});
    WinsockLookupClient lookup(LookupClientSettings{peer.port(), std::chrono::seconds(5), kLookupReceiveBufferBytes});
    lookup.client().SetHost("127.0.0.1");

    const LookupQueryReply query = lookup.client().QueryLookupService("10.0.0.138");

    ASSERT_TRUE(query.reached);
    const LookupResult result = ParseLookupReply(query.reply);
    EXPECT_EQ(result.Outcome, LookupOutcome::Answered);
    EXPECT_EQ(result.Answer.ServerHostName, "gateway");
    EXPECT_EQ(result.Answer.Warning, "None");
}

}  // namespace
}  // namespace quillcrest
