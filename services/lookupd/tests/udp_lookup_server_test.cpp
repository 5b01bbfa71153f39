#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "base/unique_handle.h"
#include "lookup_responder.h"
#include "lookupd_fakes.h"
#include "rogue_list.h"
#include "udp_lookup_server.h"

namespace quillcrest::lookupd {
namespace {

using std::chrono::milliseconds;
using testing::Address;
using testing::TableCountries;
using testing::TableNames;
using UniqueFd = UniqueHandle<int, decltype(&::close), &::close, -1>;

// The service on an ephemeral loopback port, running on its own thread until the fixture ends.
class LookupdServerTest : public ::testing::Test {
  protected:
    void Start(RateLimits rateLimits) {
        server = std::make_unique<UdpLookupServer>("127.0.0.1", 0, responder, log, rateLimits);
        ASSERT_EQ(::pipe(stopPipe), 0);
        thread = std::thread([this] { server->Run(stopPipe[0]); });
        client.reset(::socket(AF_INET, SOCK_DGRAM, 0));
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(server->port());
        ASSERT_EQ(::connect(client.get(), reinterpret_cast<const sockaddr*>(&to), sizeof to), 0);
    }

    void TearDown() override {
        if (!thread.joinable())
            return;
        ASSERT_EQ(::write(stopPipe[1], "x", 1), 1);
        thread.join();
        ::close(stopPipe[0]);
        ::close(stopPipe[1]);
    }

    std::optional<std::string> Ask(const std::string& request, milliseconds wait = milliseconds(2000)) {
        ::send(client.get(), request.data(), request.size(), 0);
        pollfd readable{client.get(), POLLIN, 0};
        if (::poll(&readable, 1, static_cast<int>(wait.count())) != 1)
            return std::nullopt;
        char buffer[2048];
        const ssize_t got = ::recv(client.get(), buffer, sizeof buffer, 0);
        if (got < 0)
            return std::nullopt;
        return std::string(buffer, static_cast<std::size_t>(got));
    }

    RogueList rogueList = RogueList::Parse("85.255.112.0/20 Rogue server\n");
    TableCountries countries{{{Address(8, 8, 8, 8), "United States"}}};
    TableNames names{{{Address(8, 8, 8, 8), "dns.google"}}};
    LookupResponder responder{rogueList, countries, names};
    std::ostringstream logText;
    RequestLog log{logText};
    std::unique_ptr<UdpLookupServer> server;
    int stopPipe[2] = {-1, -1};
    std::thread thread;
    UniqueFd client;
};

TEST_F(LookupdServerTest, AnswersARequestOverUdpAndLogsIt) {
    Start(RateLimits{});

    EXPECT_EQ(Ask("8.8.8.8"), "127.0.0.1;8.8.8.8;dns.google;Unknown;United States;none");
    EXPECT_EQ(Ask("85.255.112.1"), "127.0.0.1;85.255.112.1;85.255.112.1;Unknown;Unknown;Rogue server");

    TearDown();
    const std::string logged = logText.str();
    EXPECT_NE(logged.find("127.0.0.1:"), std::string::npos);
    EXPECT_NE(logged.find("\"8.8.8.8\" answered: 127.0.0.1;8.8.8.8;dns.google;"), std::string::npos);
}

TEST_F(LookupdServerTest, GarbageGetsNoReplyButIsLogged) {
    Start(RateLimits{});

    EXPECT_EQ(Ask("what is my address?", milliseconds(300)), std::nullopt);
    EXPECT_EQ(Ask(std::string(600, 'x'), milliseconds(300)), std::nullopt);
    // Only the beginning is read, but the whole length decides: an address followed by more is no address.
    EXPECT_EQ(Ask("8.8.8.8" + std::string(20, ' '), milliseconds(300)), std::nullopt);
    // The service is still there.
    EXPECT_TRUE(Ask("8.8.8.8").has_value());

    TearDown();
    EXPECT_NE(logText.str().find("\"what?is?my?addre\" ignored: not an IPv4 address (19 bytes)"), std::string::npos);
}

TEST_F(LookupdServerTest, ASourceOverItsRateGetsNoReply) {
    Start(RateLimits{2, 0.001, 16});

    EXPECT_TRUE(Ask("8.8.8.8").has_value());
    EXPECT_TRUE(Ask("8.8.8.8").has_value());
    EXPECT_EQ(Ask("8.8.8.8", milliseconds(300)), std::nullopt);

    TearDown();
    EXPECT_NE(logText.str().find("refused: over the rate limit"), std::string::npos);
}

}  // namespace
}  // namespace quillcrest::lookupd
