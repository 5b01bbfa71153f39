#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/unique_handle.h"
#include "deadline_host_name_resolver.h"
#include "lookup_responder.h"
#include "lookupd_fakes.h"
#include "rogue_list.h"
#include "udp_lookup_server.h"

namespace quillcrest::lookupd {
namespace {

using std::chrono::milliseconds;
using testing::Address;
using testing::BlockingNames;
using testing::TableCountries;
using testing::TableNames;
using UniqueFd = UniqueHandle<int, decltype(&::close), &::close, -1>;
using Clock = std::chrono::steady_clock;

sockaddr_in SocketAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_addr.s_addr = htonl(address);
    socketAddress.sin_port = htons(port);
    return socketAddress;
}

// A UDP socket bound to a loopback address of its own, so that each one is another source for the service.
UniqueFd SocketFrom(std::uint32_t source) {
    UniqueFd socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    const sockaddr_in local = SocketAddress(source, 0);
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
        return UniqueFd();
    return socket;
}

struct Reply {
    std::string text;
    std::uint32_t from;
};

std::optional<Reply> Receive(int socket, milliseconds wait) {
    pollfd readable{socket, POLLIN, 0};
    if (::poll(&readable, 1, static_cast<int>(wait.count())) != 1)
        return std::nullopt;
    char buffer[2048];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t got = ::recvfrom(socket, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (got < 0)
        return std::nullopt;
    return Reply{std::string(buffer, static_cast<std::size_t>(got)), ntohl(from.sin_addr.s_addr)};
}

// The sum of the counts that the summary lines give for one kind of event ("N not an address").
std::uint64_t SummedCount(const std::string& log, const std::string& kind) {
    std::uint64_t sum = 0;
    const std::regex count("([0-9]+) " + kind);
    for (auto it = std::sregex_iterator(log.begin(), log.end(), count); it != std::sregex_iterator(); ++it)
        sum += std::stoull((*it)[1]);
    return sum;
}

std::size_t LinesIn(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

struct ServerSetup {
    const char* address = "127.0.0.1";
    RateLimits rateLimits;
    ServerLimits limits;
    LogLimits logLimits;
    HostNameResolver* names = nullptr;  // the table below when not given
    std::function<void()> onStop;
};

// The service on an ephemeral port, running on its own thread until the fixture stops it.
class LookupdServerTest : public ::testing::Test {
  protected:
    void Start(const ServerSetup& setup = {}) {
        log = std::make_unique<RequestLog>(logText, setup.logLimits);
        responder = std::make_unique<LookupResponder>(rogueList, countries, setup.names ? *setup.names : names);
        server = std::make_unique<UdpLookupServer>(setup.address, 0, *responder, *log, setup.rateLimits, setup.limits);
        ASSERT_EQ(::pipe(stopPipe), 0);
        thread = std::thread([this, onStop = setup.onStop] {
            server->Run(stopPipe[0], onStop);
            stopped = true;
        });
        client = SocketFrom(Address(127, 0, 0, 1));
        ASSERT_TRUE(client);
    }

    // Stops the service, closes its log and gives back what the log holds.
    std::string StopAndReadLog() {
        Stop();
        log.reset();
        return logText.str();
    }

    void Stop() {
        if (!thread.joinable())
            return;
        EXPECT_EQ(::write(stopPipe[1], "x", 1), 1);
        thread.join();
        ::close(stopPipe[0]);
        ::close(stopPipe[1]);
    }

    void TearDown() override { Stop(); }

    void Send(int socket, const std::string& request, std::uint32_t to = Address(127, 0, 0, 1)) {
        const sockaddr_in service = SocketAddress(to, server->port());
        ::sendto(socket, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&service),
                 sizeof service);
    }

    std::optional<std::string> Ask(const std::string& request, milliseconds wait = milliseconds(2000)) {
        Send(client.get(), request);
        const std::optional<Reply> reply = Receive(client.get(), wait);
        return reply ? std::optional<std::string>(reply->text) : std::nullopt;
    }

    RogueList rogueList = RogueList::Parse("85.255.112.0/20 Rogue server\n");
    TableCountries countries{{{Address(8, 8, 8, 8), "United States"}}};
    TableNames names{{{Address(8, 8, 8, 8), "dns.google"}}};
    std::ostringstream logText;
    std::unique_ptr<RequestLog> log;
    std::unique_ptr<LookupResponder> responder;
    std::unique_ptr<UdpLookupServer> server;
    int stopPipe[2] = {-1, -1};
    std::thread thread;
    std::atomic<bool> stopped{false};
    UniqueFd client;
};

TEST_F(LookupdServerTest, AnswersARequestOverUdpAndLogsIt) {
    Start();

    EXPECT_EQ(Ask("8.8.8.8"), "127.0.0.1;8.8.8.8;dns.google;Unknown;United States;none");
    EXPECT_EQ(Ask("85.255.112.1"), "127.0.0.1;85.255.112.1;85.255.112.1;Unknown;Unknown;Rogue server");

    const std::string logged = StopAndReadLog();
    EXPECT_NE(logged.find("127.0.0.1:"), std::string::npos);
    EXPECT_NE(logged.find("\"8.8.8.8\" answered: 127.0.0.1;8.8.8.8;dns.google;"), std::string::npos);
}

TEST_F(LookupdServerTest, GarbageGetsNoReplyAndIsCounted) {
    Start();

    EXPECT_EQ(Ask("what is my address?", milliseconds(300)), std::nullopt);
    EXPECT_EQ(Ask(std::string(600, 'x'), milliseconds(300)), std::nullopt);
    // Only the beginning is read, but the whole length decides: an address followed by more is no address.
    EXPECT_EQ(Ask("8.8.8.8" + std::string(20, ' '), milliseconds(300)), std::nullopt);
    // The service is still there.
    EXPECT_TRUE(Ask("8.8.8.8").has_value());

    EXPECT_EQ(SummedCount(StopAndReadLog(), "not an address"), 3u);
}

TEST_F(LookupdServerTest, ABurstOfGarbageBecomesASummaryLinePerInterval) {
    ServerSetup setup;
    setup.logLimits.summaryInterval = milliseconds(200);
    Start(setup);

    const auto started = Clock::now();
    // Rounds small enough for the socket's receive buffer, so every datagram reaches the service.
    constexpr int kRounds = 10;
    constexpr int kPerRound = 50;
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < kPerRound; ++i)
            Send(client.get(), "junk " + std::to_string(i));
        std::this_thread::sleep_for(milliseconds(40));
    }
    EXPECT_TRUE(Ask("8.8.8.8").has_value());
    const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - started);

    const std::string logged = StopAndReadLog();
    SCOPED_TRACE(logged);
    EXPECT_EQ(SummedCount(logged, "not an address"), static_cast<std::uint64_t>(kRounds * kPerRound));
    // One summary per interval at most, one at the end, and the line of the answered request.
    EXPECT_LE(LinesIn(logged), static_cast<std::size_t>(took / setup.logLimits.summaryInterval) + 3);
}

TEST_F(LookupdServerTest, ASourceOverItsRateGetsNoReply) {
    ServerSetup setup;
    setup.rateLimits = RateLimits{2, 0.001, 16};
    Start(setup);

    EXPECT_TRUE(Ask("8.8.8.8").has_value());
    EXPECT_TRUE(Ask("8.8.8.8").has_value());
    EXPECT_EQ(Ask("8.8.8.8", milliseconds(300)), std::nullopt);

    EXPECT_EQ(SummedCount(StopAndReadLog(), "over the rate limit"), 1u);
}

// Listening on every address, the reply must come from the address the client asked, which a connected client
// socket insists on; the route back to 127.0.0.1 would otherwise give it 127.0.0.1 as its source.
TEST_F(LookupdServerTest, TheReplyLeavesFromTheAddressTheRequestWentTo) {
    ServerSetup setup;
    setup.address = "0.0.0.0";
    Start(setup);

    for (const std::uint32_t asked : {Address(127, 0, 0, 2), Address(127, 0, 0, 1), Address(127, 1, 2, 3)}) {
        SCOPED_TRACE(FormatDottedAddress(asked));
        Send(client.get(), "8.8.8.8", asked);
        const std::optional<Reply> reply = Receive(client.get(), milliseconds(2000));
        ASSERT_TRUE(reply.has_value());
        EXPECT_EQ(reply->from, asked);
        EXPECT_EQ(reply->text, "127.0.0.1;8.8.8.8;dns.google;Unknown;United States;none");
    }
}

// Forged requests from many sources, each within its own rate: what the service sends stays within its budget.
TEST_F(LookupdServerTest, TheReplyBudgetBoundsWhatAllSourcesTogetherGet) {
    ServerSetup setup;
    setup.limits.replyBytesPerSecond = 1000;
    setup.logLimits.summaryInterval = milliseconds(100);
    Start(setup);

    constexpr int kSources = 40;
    std::vector<UniqueFd> sources;
    const auto started = Clock::now();
    for (int i = 0; i < kSources; ++i) {
        sources.push_back(SocketFrom(Address(127, 0, 1, i + 1)));
        ASSERT_TRUE(sources.back());
        Send(sources.back().get(), "8.8.8.8");
    }
    std::size_t answered = 0;
    std::size_t wireBytes = 0;
    for (const UniqueFd& source : sources) {
        if (const std::optional<Reply> reply = Receive(source.get(), milliseconds(answered == 0 ? 1000 : 100))) {
            ++answered;
            wireBytes += reply->text.size() + kDatagramHeaderBytes;
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();

    EXPECT_GT(answered, 0u);
    EXPECT_LE(static_cast<double>(wireBytes), 1000 + 1000 * seconds);
    const std::string logged = StopAndReadLog();
    EXPECT_EQ(SummedCount(logged, "over the reply budget"), kSources - answered);
}

// The one worker waits for a name and a flood fills the waiting room; a client that asks now and then still finds
// one of the places kept for quiet sources.
TEST_F(LookupdServerTest, AQuietClientFindsRoomWhileAFloodFillsTheQueue) {
    const std::uint32_t hanging = Address(6, 6, 6, 6);
    BlockingNames inner({hanging});
    ResolverPoolLimits poolLimits;
    poolLimits.deadline = std::chrono::seconds(30);
    DeadlineHostNameResolver resolver(inner, poolLimits);
    ServerSetup setup;
    setup.names = &resolver;
    setup.rateLimits = RateLimits{1000, 1000, 16};
    setup.limits.workers = 1;
    setup.limits.queuedRequests = 10;  // one place kept for quiet sources
    setup.onStop = [&resolver] { resolver.Stop(); };
    Start(setup);
    EXPECT_TRUE(Ask("10.0.0.1").has_value());  // the client is known, and quiet

    const UniqueFd flood = SocketFrom(Address(127, 0, 3, 1));
    Send(flood.get(), "6.6.6.6");  // takes the worker, which waits for the name
    const auto sent = Clock::now();
    while (inner.Calls().empty() && Clock::now() - sent < std::chrono::seconds(5))
        std::this_thread::sleep_for(milliseconds(10));
    for (int i = 0; i < 11; ++i)  // 9 waiting, 2 dropped
        Send(flood.get(), "6.6.6.6");
    std::this_thread::sleep_for(milliseconds(300));
    Send(client.get(), "10.0.0.2");
    std::this_thread::sleep_for(milliseconds(200));
    inner.Release();

    const std::optional<Reply> reply = Receive(client.get(), milliseconds(5000));
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->text, "127.0.0.1;10.0.0.2;10.0.0.2;Unknown;Unknown;none");
    EXPECT_EQ(SummedCount(StopAndReadLog(), "busy"), 2u);
}

// Workers wait for names that never come, and datagrams keep arriving: the stop request is still seen, the
// waiting requests go unanswered, and Run returns.
TEST_F(LookupdServerTest, StopsDuringAFloodWhileWorkersWaitForNames) {
    const std::uint32_t hanging = Address(6, 6, 6, 6);
    BlockingNames inner({hanging});
    ResolverPoolLimits poolLimits;
    poolLimits.deadline = std::chrono::seconds(30);
    poolLimits.perAsker = 100;
    DeadlineHostNameResolver resolver(inner, poolLimits);
    ServerSetup setup;
    setup.names = &resolver;
    setup.rateLimits = RateLimits{1e9, 1e9, 16};
    setup.onStop = [&resolver] { resolver.Stop(); };
    setup.logLimits.requestLinesBurst = 0;  // everything counted
    Start(setup);

    // Several senders as fast as they can: the service's socket should never run dry.
    constexpr int kSenders = 3;
    std::atomic<bool> flooding{true};
    std::vector<std::future<void>> floods;
    for (int sender = 0; sender < kSenders; ++sender) {
        floods.push_back(std::async(std::launch::async, [&, sender] {
            const UniqueFd source = SocketFrom(Address(127, 0, 2, sender + 1));
            const auto giveUp = Clock::now() + std::chrono::seconds(20);
            for (int i = 0; flooding && Clock::now() < giveUp; ++i)
                Send(source.get(), i % 2 ? "6.6.6.6" : "junk");
        }));
    }
    const auto flooded = Clock::now();
    while (inner.Calls().empty() && Clock::now() - flooded < std::chrono::seconds(5))
        std::this_thread::sleep_for(milliseconds(10));
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_GT(inner.Calls().size(), 0u);

    ASSERT_EQ(::write(stopPipe[1], "x", 1), 1);
    const auto asked = Clock::now();
    while (!stopped && Clock::now() - asked < std::chrono::seconds(10))
        std::this_thread::sleep_for(milliseconds(10));
    const bool stoppedInTheFlood = stopped;
    flooding = false;
    for (std::future<void>& flood : floods)
        flood.get();
    EXPECT_TRUE(stoppedInTheFlood);
    thread.join();
    ::close(stopPipe[0]);
    ::close(stopPipe[1]);

    log.reset();
    EXPECT_GT(SummedCount(logText.str(), "not answered"), 0u) << logText.str();
}

}  // namespace
}  // namespace quillcrest::lookupd
