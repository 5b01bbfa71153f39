#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "http/http_client.h"
#include "http/http_header_lines.h"
#include "support/base_fake_monotonic_clock.h"
#include "support/http_posix_message_queue.h"
#include "support/http_posix_tcp_network.h"
#include "support/http_scripted_server.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using namespace std::chrono_literals;
using fakes::AwaitClientEnd;
using fakes::EndSending;
using fakes::FakeMonotonicClock;
using fakes::Pause;
using fakes::PosixMessageQueue;
using fakes::PosixTcpNetwork;
using fakes::Reset;
using fakes::RowName;
using fakes::ScriptedTcpServer;
using fakes::Send;
using fakes::SendBytewise;
using fakes::SendUntilRefused;
using fakes::ServerStep;

std::string LoopbackUrl(const ScriptedTcpServer& server, const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(server.port()) + path;
}

// A loopback port with nothing listening on it.
std::uint16_t ClosedLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

class HttpClientFixture : public ::testing::Test {
  protected:
    PosixMessageQueue queue;
    PosixTcpNetwork network{&queue};
    HttpClient client{network};
};

// One exchange against a scripted server: what the server sends and what Get must end in.
struct ExchangeCase {
    const char* name;
    std::vector<ServerStep> script;
    int status;         // expected status when error is empty
    std::string body;   // expected body when error is empty
    std::string error;  // expected exception message, or "" for success
};

void PrintTo(const ExchangeCase& row, std::ostream* os) {
    *os << row.name;
}

class HttpClientExchangeTest : public HttpClientFixture, public ::testing::WithParamInterface<ExchangeCase> {};

TEST_P(HttpClientExchangeTest, EndsInTheStatedResult) {
    const ExchangeCase& row = GetParam();
    SCOPED_TRACE(row.name);
    std::vector<ServerStep> script = row.script;
    script.push_back(AwaitClientEnd());
    ScriptedTcpServer server(script);
    client.SetUrl(LoopbackUrl(server, "/page.html"));
    client.SetTimeOut(10);
    if (row.error.empty()) {
        EXPECT_EQ(client.Get(), row.status);
        EXPECT_EQ(client.Body(), row.body);
    } else {
        try {
            client.Get();
            ADD_FAILURE() << "Get succeeded";
        } catch (const Exception& error) {
            EXPECT_EQ(std::string(error.what()), row.error);
        }
    }
    EXPECT_FALSE(client.ExchangeRunning());
    server.Finish();
    EXPECT_EQ(server.request(),
              "GET /page.html HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: */*\r\nConnection: close\r\n\r\n");
    // Every outcome ends the connection from the client's side (unless the server tore it down first).
    const bool serverResets = std::any_of(row.script.begin(), row.script.end(),
                                          [](const ServerStep& step) { return step.kind == ServerStep::Kind::Reset; });
    if (!serverResets) {
        EXPECT_TRUE(server.clientEnded());
    }
}

const std::string kOk = "HTTP/1.1 200 OK\r\n";
const std::string kChunked = kOk + "Transfer-Encoding: chunked\r\n\r\n";
const std::string kAlphabet = "abcdefghijklmnopqrstuvwxyz";
const std::string kBufferFull = "Buffer is full. Will disconnect.";
const std::string kStreamError = "Error receiving the stream";
const std::string kReset = "[10054] Connection reset by peer";

const ExchangeCase kExchangeCases[] = {
    {"length body", {Send(kOk + "Content-Length: 5\r\n\r\nhello")}, 200, "hello", ""},
    {"length body one byte per packet", {SendBytewise(kOk + "Content-Length: 5\r\n\r\nhello", 1ms)}, 200, "hello", ""},
    {"not found keeps its body", {Send("HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone")}, 404, "gone", ""},
    {"garbage status line", {Send("garbage\r\n\r\nbody"), EndSending()}, -1, "body", ""},
    {"chunked", {Send(kChunked + "5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n")}, 200, "hello world", ""},
    {"chunked one byte per packet", {SendBytewise(kChunked + "5\r\nhello\r\n0\r\n\r\n", 1ms)}, 200, "hello", ""},
    {"Chunked in capitals", {Send(kOk + "Transfer-Encoding: Chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n")}, 200, "abc", ""},
    {"chunk size 1A", {Send(kChunked + "1A\r\n" + kAlphabet + "\r\n0\r\n\r\n")}, 200, kAlphabet, ""},
    {"chunk size 1a", {Send(kChunked + "1a\r\n" + kAlphabet + "\r\n0\r\n\r\n")}, 200, kAlphabet, ""},
    {"length 0 reads to the close",
     {Send(kOk + "Content-Length: 0\r\n\r\nuntil the end"), Pause(50ms), Send(" and more"), EndSending()},
     200,
     "until the end and more",
     ""},
    {"length without blank drops a digit",
     {Send(kOk + "Content-Length:100\r\n\r\nshort"), EndSending()},
     200,
     "short",
     ""},
    {"100 announced and 50 sent",
     {Send(kOk + "Content-Length: 100\r\n\r\n" + std::string(50, 'x')), EndSending()},
     0,
     "",
     kReset},
    {"reset in the middle of the body",
     {Send(kOk + "Content-Length: 100\r\n\r\n" + std::string(50, 'x')), Pause(50ms), Reset()},
     0,
     "",
     kReset},
    {"chunk size of 17 digits", {Send(kChunked + "00000000000000005\r\nhello\r\n0\r\n\r\n")}, 0, "", kStreamError},
    {"signed chunk size", {Send(kChunked + "-5\r\nhello\r\n0\r\n\r\n")}, 0, "", kStreamError},
    {"huge chunk size", {Send(kChunked + "FFFFFFFFFFFFFFFF\r\n")}, 0, "", "Response body too large. Will disconnect."},
    {"chunk data without its line end", {Send(kChunked + "5\r\nhello5\r\nworld\r\n0\r\n\r\n")}, 0, "", kStreamError},
    {"close before the last chunk", {Send(kChunked + "5\r\nhello\r\n"), EndSending()}, 0, "", kStreamError},
    {"header line of 4093 bytes",
     {Send(kOk + "X-Long: " + std::string(4085, 'v') + "\r\nContent-Length: 2\r\n\r\nok")},
     200,
     "ok",
     ""},
    {"header line of 4094 bytes",
     {Send(kOk + "X-Long: " + std::string(4086, 'v') + "\r\nContent-Length: 2\r\n\r\nok")},
     0,
     "",
     kBufferFull},
    {"endless header line", {Send(kOk), SendUntilRefused(std::string(4096, 'a'))}, 0, "", kBufferFull},
    {"thousands of header lines",
     {Send(kOk), SendUntilRefused("X-Header: value\r\n")},
     0,
     "",
     "Too many header lines. Will disconnect."},
    {"endless body",
     {Send(kOk + "\r\n"), SendUntilRefused(std::string(65536, 'b'))},
     0,
     "",
     "Response body too large. Will disconnect."},
    {"announced body over 16 MiB",
     {Send(kOk + "Content-Length: 16777217\r\n\r\n")},
     0,
     "",
     "Response body too large. Will disconnect."},
};

INSTANTIATE_TEST_SUITE_P(Cases, HttpClientExchangeTest, ::testing::ValuesIn(kExchangeCases), RowName<ExchangeCase>);

TEST_F(HttpClientFixture, SendsTheRequestPathAndHostWithoutPort) {
    struct Row {
        std::string urlBefore;  // scheme and host text before the port
        std::string path;       // what follows the port
        std::string requestLine;
        std::string hostLine;
    };
    const Row rows[] = {
        {"HTTP://127.0.0.1:", "/Dir/Page.html?x=1", "GET /Dir/Page.html?x=1 HTTP/1.1", "Host: 127.0.0.1"},
        {"http://127.0.0.1:", "", "GET / HTTP/1.1", "Host: 127.0.0.1"},
        {"localhost:", "/a", "GET /a HTTP/1.1", "Host: localhost"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.urlBefore + row.path);
        ScriptedTcpServer server({Send(kOk + "Content-Length: 2\r\n\r\nok")});
        client.SetUrl(row.urlBefore + std::to_string(server.port()) + row.path);
        EXPECT_EQ(client.Get(), 200);
        server.Finish();
        EXPECT_EQ(server.request(),
                  row.requestLine + "\r\n" + row.hostLine + "\r\nAccept: */*\r\nConnection: close\r\n\r\n");
    }
}

TEST_F(HttpClientFixture, KeepsHeadersInArrivalOrderEndingWithTheEmptyLine) {
    ScriptedTcpServer server(
        {Send("HTTP/1.1 200 OK\r\nX-Name:value\r\nX-Folded: one\r\n two\r\nContent-Length: 1\r\n\r\nz")});
    client.SetUrl(LoopbackUrl(server, "/"));
    EXPECT_EQ(client.Get(), 200);
    const std::vector<std::string> expected = {
        "HTTP/1.1 200 OK", "X-Name:value", "X-Folded: one", " two", "Content-Length: 1", ""};
    EXPECT_EQ(client.Headers(), expected);
    // No blank after the colon: the value loses its first character.
    EXPECT_EQ(HeaderValue(client.Headers(), "X-Name"), "alue");
    EXPECT_EQ(HeaderValue(client.Headers(), "X-Folded"), "one two");
}

TEST_F(HttpClientFixture, EveryExchangeEmptiesAndRefillsTheBody) {
    {
        ScriptedTcpServer server({Send(kOk + "Content-Length: 5\r\n\r\nfirst")});
        client.SetUrl(LoopbackUrl(server, "/"));
        EXPECT_EQ(client.Get(), 200);
        EXPECT_EQ(client.Body(), "first");
        EXPECT_EQ(client.TakeBody(), "first");
        EXPECT_EQ(client.Body(), "");
    }
    {
        ScriptedTcpServer server({Send("HTTP/1.1 500 Oops\r\n\r\n")});
        client.SetUrl(LoopbackUrl(server, "/"));
        EXPECT_EQ(client.Get(), 500);
        EXPECT_EQ(client.Body(), "");
        EXPECT_EQ(client.Headers().front(), "HTTP/1.1 500 Oops");
    }
}

TEST_F(HttpClientFixture, ConnectionRefused) {
    client.SetUrl("http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/");
    try {
        client.Get();
        FAIL() << "Get succeeded";
    } catch (const ESocketError& error) {
        EXPECT_EQ(error.code(), 10061);
        EXPECT_STREQ(error.what(), "[10061] Connection refused");
    }
}

TEST_F(HttpClientFixture, NameLookupOnlyForNamesThatCanBeHosts) {
    struct Row {
        std::string url;
        std::vector<std::string> lookedUp;
    };
    const Row rows[] = {
        {"http://no-such-host.test/", {"no-such-host.test"}},
        {"http:///page", {}},           // empty host names no machine
        {"http://bad\rhost/page", {}},  // a control character cannot be in a host name
        {"http://two words/page", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        network.lookedUp.clear();
        client.SetUrl(row.url);
        try {
            client.Get();
            ADD_FAILURE() << "Get succeeded";
        } catch (const ESocketError& error) {
            EXPECT_STREQ(error.what(), "[11001] Host not found");
        }
        EXPECT_EQ(network.lookedUp, row.lookedUp);
    }
}

// The name lookup belongs to the first step's countdown: it may wait no longer than the fetch's time-out, and a
// resolver that stays silent ends the fetch as a silent server does.
TEST_F(HttpClientFixture, NameLookupWaitsWithinTheCountdownAndSilenceTimesOut) {
    network.silentHosts = {"silent.test"};
    client.SetUrl("http://silent.test/page");
    client.SetTimeOut(7);
    try {
        client.Get();
        FAIL() << "Get succeeded";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "Operation timed out");
    }
    ASSERT_EQ(network.lookupWaits.size(), 1u);
    EXPECT_LE(network.lookupWaits[0], 7000ms);
    EXPECT_GT(network.lookupWaits[0], 6000ms);
}

TEST_F(HttpClientFixture, DottedAddressIsUsedWithoutLookup) {
    ScriptedTcpServer server({Send(kOk + "Content-Length: 2\r\n\r\nok")});
    client.SetUrl(LoopbackUrl(server, "/"));
    EXPECT_EQ(client.Get(), 200);
    EXPECT_TRUE(network.lookedUp.empty());
}

TEST_F(HttpClientFixture, SilenceEndsInOperationTimedOut) {
    ScriptedTcpServer server({AwaitClientEnd()});
    client.SetUrl(LoopbackUrl(server, "/"));
    client.SetTimeOut(1);
    const auto started = std::chrono::steady_clock::now();
    try {
        client.Get();
        FAIL() << "Get succeeded";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "Operation timed out");
    }
    // The countdown really ran: the step waited its limit before giving up.
    EXPECT_GE(std::chrono::steady_clock::now() - started, 900ms);
    server.Finish();
    EXPECT_TRUE(server.clientEnded());
}

TEST_F(HttpClientFixture, SilenceAfterPartOfTheBodyAlsoTimesOut) {
    ScriptedTcpServer server({Send(kOk + "Content-Length: 10\r\n\r\nhalf"), AwaitClientEnd()});
    client.SetUrl(LoopbackUrl(server, "/"));
    client.SetTimeOut(1);
    EXPECT_THROW(
        try { client.Get(); } catch (const Exception& error) {
            EXPECT_STREQ(error.what(), "Operation timed out");
            throw;
        },
        Exception);
}

// Every piece of data starts the countdown again: a server slower in total than the limit, but never silent
// for as long as the limit, is served (60 s and a byte every 30 s, scaled down).
TEST_F(HttpClientFixture, TricklingServerIsServed) {
    ScriptedTcpServer server({Send(kOk + "Content-Length: 4\r\n\r\n"), SendBytewise("slow", 1000ms)});
    client.SetUrl(LoopbackUrl(server, "/"));
    client.SetTimeOut(2);
    EXPECT_EQ(client.Get(), 200);
    EXPECT_EQ(client.Body(), "slow");
}

// A line that hands over what the server sent in pieces of pieceBytes, each taking pieceTime on a fake clock, so
// that minutes of trickling pass in no time. A piece slower than the wait allowed brings nothing: the clock moves
// on by the wait, as it would over a silent line.
class TricklingNetwork : public TcpNetwork {
  public:
    TricklingNetwork(FakeMonotonicClock& clock, std::size_t pieceBytes, std::chrono::milliseconds pieceTime)
        : clock_(clock), pieceBytes_(pieceBytes), pieceTime_(pieceTime) {}

    std::unique_ptr<TcpConnection> OpenConnection() override {
        return std::make_unique<Connection>(*this, sockets_.OpenConnection());
    }
    std::optional<Ipv4Address> ResolveHost(const std::string& host, std::chrono::milliseconds maxWait) override {
        return sockets_.ResolveHost(host, maxWait);
    }

  private:
    class Connection : public TcpConnection {
      public:
        Connection(TricklingNetwork& line, std::unique_ptr<TcpConnection> socket)
            : line_(line), socket_(std::move(socket)) {}
        bool Connect(const Ipv4Address& address, std::uint16_t port, std::chrono::milliseconds maxWait) override {
            return socket_->Connect(address, port, maxWait);
        }
        std::optional<std::size_t> Send(const char* data,
                                        std::size_t size,
                                        std::chrono::milliseconds maxWait) override {
            return socket_->Send(data, size, maxWait);
        }
        std::optional<std::size_t> Receive(char* buffer,
                                           std::size_t capacity,
                                           std::chrono::milliseconds maxWait) override {
            if (line_.pieceTime_ > maxWait) {
                line_.clock_.now += maxWait;
                return std::nullopt;
            }
            // The scripted server sent everything at once: the bytes are there in real time.
            const auto piece =
                socket_->Receive(buffer, std::min(capacity, line_.pieceBytes_), ScriptedTcpServer::kPatience);
            line_.clock_.now += line_.pieceTime_;
            return piece;
        }
        void ShutdownSending() noexcept override { socket_->ShutdownSending(); }

      private:
        TricklingNetwork& line_;
        std::unique_ptr<TcpConnection> socket_;
    };

    PosixTcpNetwork sockets_;
    FakeMonotonicClock& clock_;
    std::size_t pieceBytes_;
    std::chrono::milliseconds pieceTime_;
};

struct TrickleCase {
    const char* name;
    std::size_t pieceBytes;
    std::chrono::milliseconds pieceTime;
    std::string error;                // "" for a page that arrives
    std::chrono::milliseconds ended;  // on the fake clock, from the start of the exchange
};

void PrintTo(const TrickleCase& row, std::ostream* os) {
    *os << row.name;
}

constexpr std::chrono::milliseconds kExchangeDeadline = HttpClient::kExchangeDeadline;
constexpr std::chrono::milliseconds kInactivityLimit = std::chrono::seconds(HttpClient::kDefaultTimeOutSeconds);
// 42 bytes: the status line, one header line, the empty line and a body of 4.
const std::string kTrickledResponse = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nslow";

const TrickleCase kTrickleCases[] = {
    // Never silent for the inactivity limit, yet the page would take 21 minutes.
    {"a byte every half inactivity limit ends at the deadline", 1, kInactivityLimit / 2, "Operation timed out",
     kExchangeDeadline},
    {"three pieces ending just inside the deadline are served", 14, kExchangeDeadline / 3 - std::chrono::seconds(1), "",
     3 * (kExchangeDeadline / 3 - std::chrono::seconds(1))},
    {"silence longer than the inactivity limit ends at the limit", 42, kInactivityLimit + std::chrono::seconds(1),
     "Operation timed out", kInactivityLimit},
};

class HttpClientTrickleTest : public ::testing::TestWithParam<TrickleCase> {};

TEST_P(HttpClientTrickleTest, TheExchangeEndsByItsDeadlineAndTheInactivityLimit) {
    const TrickleCase& row = GetParam();
    SCOPED_TRACE(row.name);
    FakeMonotonicClock clock;
    TricklingNetwork network(clock, row.pieceBytes, row.pieceTime);
    HttpClient client(network, clock);
    ScriptedTcpServer server({Send(kTrickledResponse), AwaitClientEnd()});
    client.SetUrl(LoopbackUrl(server, "/odnsad.html"));
    const auto started = clock.now;

    std::string error;
    try {
        EXPECT_EQ(client.Get(), 200);
        EXPECT_EQ(client.Body(), "slow");
    } catch (const Exception& failure) {
        error = failure.what();
    }

    EXPECT_EQ(error, row.error);
    EXPECT_EQ(clock.now - started, row.ended);
    server.Finish();
    EXPECT_TRUE(server.clientEnded());
}

INSTANTIATE_TEST_SUITE_P(Lines, HttpClientTrickleTest, ::testing::ValuesIn(kTrickleCases), RowName<TrickleCase>);

// A handler that runs during the wait (here a queued task; in the program a timer tick) asks the same client
// for another page: that request is refused and the running exchange goes on untouched.
TEST_F(HttpClientFixture, SecondGetDuringAWaitIsRefused) {
    ScriptedTcpServer server({Pause(300ms), Send(kOk + "Content-Length: 7\r\n\r\nrunning")});
    client.SetUrl(LoopbackUrl(server, "/first"));
    std::string refusal;
    bool ranDuringWait = false;
    queue.Post([&] {
        ranDuringWait = client.ExchangeRunning();
        client.SetUrl("http://127.0.0.1:1/second");
        try {
            client.Get();
        } catch (const Exception& error) {
            refusal = error.what();
        }
    });
    EXPECT_EQ(client.Get(), 200);
    EXPECT_TRUE(ranDuringWait);
    EXPECT_EQ(refusal, "The previous page request is still running");
    EXPECT_EQ(client.Body(), "running");
    EXPECT_EQ(network.connectionsOpened, 1);
    server.Finish();
    EXPECT_EQ(server.request().substr(0, 26), "GET /first HTTP/1.1\r\nHost:");
    // The address set during the wait is the one the next exchange uses.
    EXPECT_EQ(client.RequestPath(), "/second");
    EXPECT_FALSE(client.ExchangeRunning());
}

TEST_F(HttpClientFixture, ClientIsFreeAgainAfterAFailure) {
    client.SetUrl("http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/");
    EXPECT_THROW(client.Get(), ESocketError);
    EXPECT_FALSE(client.ExchangeRunning());
    ScriptedTcpServer server({Send(kOk + "Content-Length: 2\r\n\r\nok")});
    client.SetUrl(LoopbackUrl(server, "/"));
    EXPECT_EQ(client.Get(), 200);
}

TEST(HttpClientDefaults, TimeOutIsSixtySecondsAndPortEighty) {
    PosixTcpNetwork network;
    HttpClient client(network);
    EXPECT_EQ(client.TimeOut(), 60);
    client.SetUrl("http://example.test");
    EXPECT_EQ(client.Port(), 80);
    EXPECT_EQ(client.Host(), "example.test");
    EXPECT_EQ(client.RequestPath(), "/");
    EXPECT_EQ(client.Url(), "http://example.test");
}

}  // namespace
}  // namespace quillcrest
