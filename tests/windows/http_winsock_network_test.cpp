#include <windows.h>
#include <gtest/gtest.h>
#include <winsock2.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "base/exception.h"
#include "base/win_handles_win.h"
#include "base/winsock_session_win.h"
#include "http/exchange_abandoned.h"
#include "http/http_client.h"
#include "http/socket_error.h"
#include "http/winsock_network_win.h"
#include "support/loopback_listener_win.h"
#include "widgets/window_win.h"

namespace quillcrest {
namespace {

using namespace std::chrono_literals;

// A page server on 127.0.0.1 in a thread of the test: accepts one connection, reads the request up to its
// empty line, sends the response pieces with the given pauses before each, and then closes, resets or waits for
// the client to end.
class LoopbackPageServer {
  public:
    enum class Ending { Close, Reset, AwaitClient };
    struct Piece {
        std::chrono::milliseconds pauseBefore;
        std::string bytes;
    };

    LoopbackPageServer(std::vector<Piece> pieces, Ending ending) : pieces_(std::move(pieces)), ending_(ending) {
        listener_ = fakes::ListenOnLoopback(4, port_);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackPageServer() { Finish(); }

    std::uint16_t port() const { return port_; }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    void Finish() {
        if (thread_.joinable())
            thread_.join();
    }
    const std::string& request() const { return request_; }
    bool clientEnded() const { return clientEnded_; }

  private:
    void Serve() {
        if (!fakes::SocketReadable(listener_.get(), 15000))
            return;
        UniqueSocket connection(::accept(listener_.get(), nullptr, nullptr));
        if (!connection)
            return;
        char buffer[1024];
        while (request_.find("\r\n\r\n") == std::string::npos && fakes::SocketReadable(connection.get(), 15000)) {
            const int count = ::recv(connection.get(), buffer, sizeof(buffer), 0);
            if (count <= 0)
                break;
            request_.append(buffer, static_cast<std::size_t>(count));
        }
        for (const Piece& piece : pieces_) {
            std::this_thread::sleep_for(piece.pauseBefore);
            ::send(connection.get(), piece.bytes.data(), static_cast<int>(piece.bytes.size()), 0);
        }
        if (ending_ == Ending::Reset) {
            const linger abort{1, 0};
            ::setsockopt(connection.get(), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof(abort));
        } else if (ending_ == Ending::AwaitClient) {
            while (fakes::SocketReadable(connection.get(), 15000)) {
                if (::recv(connection.get(), buffer, sizeof(buffer), 0) <= 0) {
                    clientEnded_ = true;
                    break;
                }
            }
        }
    }

    WinsockSession session_;
    std::vector<Piece> pieces_;
    Ending ending_;
    UniqueSocket listener_;
    std::uint16_t port_ = 0;
    std::string request_;
    std::atomic<bool> clientEnded_{false};
    std::thread thread_;
};

std::uint16_t ClosedLoopbackPort() {
    WinsockSession session;
    UniqueSocket probe(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    ::bind(probe.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::getsockname(probe.get(), reinterpret_cast<sockaddr*>(&address), &length);
    return ::ntohs(address.sin_port);
}

std::string FailureOf(HttpClient& client) {
    try {
        client.Get();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no failure";
}

const std::string kOk = "HTTP/1.1 200 OK\r\n";

class HttpWinsockTest : public ::testing::Test {
  protected:
    WinsockNetwork network;
    HttpClient client{network};
};

TEST_F(HttpWinsockTest, FetchesAPageAndSendsTheExactRequest) {
    LoopbackPageServer server({{0ms, kOk + "Content-Length: 5\r\n\r\nhello"}}, LoopbackPageServer::Ending::AwaitClient);
    client.SetUrl(server.Url("/quillcrestinfo.html"));
    EXPECT_EQ(client.Get(), 200);
    EXPECT_EQ(client.Body(), "hello");
    server.Finish();
    EXPECT_EQ(server.request(),
              "GET /quillcrestinfo.html HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: */*\r\nConnection: close\r\n\r\n");
    EXPECT_TRUE(server.clientEnded());
}

TEST_F(HttpWinsockTest, ReadsChunksArrivingInPiecesAndABodyUpToTheClose) {
    {
        LoopbackPageServer server({{0ms, kOk + "Transfer-Encoding: chunked\r\n\r\n5\r\nhel"},
                                   {30ms, "lo\r\n1a\r\nabcdefghijklm"},
                                   {30ms, "nopqrstuvwxyz\r\n0\r\n\r\n"}},
                                  LoopbackPageServer::Ending::Close);
        client.SetUrl(server.Url("/"));
        EXPECT_EQ(client.Get(), 200);
        EXPECT_EQ(client.Body(), "helloabcdefghijklmnopqrstuvwxyz");
    }
    {
        LoopbackPageServer server({{0ms, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\nmis"}, {30ms, "sing"}},
                                  LoopbackPageServer::Ending::Close);
        client.SetUrl(server.Url("/"));
        EXPECT_EQ(client.Get(), 404);
        EXPECT_EQ(client.Body(), "missing");
    }
}

TEST_F(HttpWinsockTest, SocketFailuresCarryTheirWinsockText) {
    client.SetUrl("http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/");
    EXPECT_EQ(FailureOf(client), "[10061] Connection refused");

    LoopbackPageServer server({{0ms, kOk + "Content-Length: 100\r\n\r\n" + std::string(50, 'x')}, {100ms, ""}},
                              LoopbackPageServer::Ending::Reset);
    client.SetUrl(server.Url("/"));
    EXPECT_EQ(FailureOf(client), "[10054] Connection reset by peer");
}

TEST_F(HttpWinsockTest, ShortBodyBeforeACloseIsAConnectionReset) {
    LoopbackPageServer server({{0ms, kOk + "Content-Length: 100\r\n\r\n" + std::string(50, 'x')}},
                              LoopbackPageServer::Ending::Close);
    client.SetUrl(server.Url("/"));
    EXPECT_EQ(FailureOf(client), "[10054] Connection reset by peer");
}

TEST_F(HttpWinsockTest, SilenceEndsInOperationTimedOut) {
    LoopbackPageServer server({}, LoopbackPageServer::Ending::AwaitClient);
    client.SetUrl(server.Url("/"));
    client.SetTimeOut(1);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(FailureOf(client), "Operation timed out");
    EXPECT_GE(std::chrono::steady_clock::now() - started, 900ms);
    server.Finish();
    EXPECT_TRUE(server.clientEnded());
}

TEST_F(HttpWinsockTest, ResolvesLocalhostThroughTheHostsFile) {
    EXPECT_EQ(network.ResolveHost("localhost", 5000ms), (Ipv4Address{{127, 0, 0, 1}}));
}

// A window standing for the program's windows: it counts what reaches it while a fetch waits.
class WatchingWindow : public Window {
  public:
    static constexpr UINT kPostedMessage = WM_APP + 7;
    static constexpr UINT_PTR kTimerId = 1;

    explicit WatchingWindow(HttpClient& client) : client_(client) {
        Create("QuillcrestHttpWaitWindow", "", WS_POPUP, 0, 0, 0, 10, 10, nullptr);
    }

    int postedDuringFetch = 0;
    int ticksDuringFetch = 0;
    std::string refusal;

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kPostedMessage && client_.ExchangeRunning()) {
            ++postedDuringFetch;
            return 0;
        }
        if (message == WM_TIMER && wParam == kTimerId && client_.ExchangeRunning()) {
            ++ticksDuringFetch;
            // As a message window's fetch timer would: ask the busy client for another page.
            try {
                client_.Get();
            } catch (const std::exception& error) {
                refusal = error.what();
            }
            return 0;
        }
        return DefaultHandling(message, wParam, lParam);
    }

  private:
    HttpClient& client_;
};

TEST_F(HttpWinsockTest, WindowMessagesAndTimersAreDispatchedWhileAFetchWaits) {
    WatchingWindow window(client);
    ASSERT_NE(window.hwnd(), nullptr);
    LoopbackPageServer server({{700ms, kOk + "Content-Length: 4\r\n\r\nlate"}}, LoopbackPageServer::Ending::Close);
    ASSERT_TRUE(::PostMessageA(window.hwnd(), WatchingWindow::kPostedMessage, 0, 0));
    ASSERT_NE(::SetTimer(window.hwnd(), WatchingWindow::kTimerId, 50, nullptr), 0u);
    client.SetUrl(server.Url("/odnsad.html"));
    EXPECT_EQ(client.Get(), 200);
    ::KillTimer(window.hwnd(), WatchingWindow::kTimerId);
    EXPECT_EQ(client.Body(), "late");
    EXPECT_EQ(window.postedDuringFetch, 1);
    EXPECT_GE(window.ticksDuringFetch, 3);
    EXPECT_EQ(window.refusal, "The previous page request is still running");
}

void CALLBACK PostQuitAtTick(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    ::PostQuitMessage(7);
}

// A quit request ends a page fetch at once, whether it was already waiting or arrives while the fetch waits for a
// server that says nothing (whose silence the client would otherwise wait out for its whole 60-second limit), and
// stays for the program's own message loop.
TEST_F(HttpWinsockTest, QuitRequestEndsAFetchAtOnceAndIsKeptForTheMessageLoop) {
    struct Row {
        const char* name;
        UINT quitAfterMs;  // 0: posted before the fetch starts
    };
    const Row rows[] = {{"quit posted before the fetch", 0}, {"quit posted while the fetch waits", 200}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackPageServer server({}, LoopbackPageServer::Ending::AwaitClient);
        client.SetUrl(server.Url("/odnsad.html"));
        if (row.quitAfterMs == 0)
            ::PostQuitMessage(7);
        else
            ASSERT_NE(::SetTimer(nullptr, 0, row.quitAfterMs, PostQuitAtTick), 0u);
        const auto started = std::chrono::steady_clock::now();
        EXPECT_THROW(client.Get(), EExchangeAbandoned);
        EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << "the fetch went on after the quit request";
        EXPECT_FALSE(client.ExchangeRunning());
        MSG message;
        ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit request was lost";
        EXPECT_EQ(message.wParam, 7u);
        server.Finish();
        EXPECT_TRUE(server.clientEnded()) << "the connection was not closed";
    }
}

}  // namespace
}  // namespace quillcrest
