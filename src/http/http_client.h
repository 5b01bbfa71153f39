#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "http/http_address.h"
#include "http/tcp_network.h"

namespace quillcrest {

// Fetches one web page per call with HTTP/1.1 GET over a fresh TCP connection: no proxy, no credentials, no
// user agent, nothing kept alive. Used on the user-interface thread only; its waits dispatch window messages,
// so other handlers may run during Get, and the owner must keep the client alive until Get returns.
class HttpClient {
  public:
    static constexpr int kDefaultTimeOutSeconds = 60;

    // The network must outlive the client.
    explicit HttpClient(TcpNetwork& network);

    // Sets the page address and derives Host, Port and RequestPath from it (see ParseHttpUrl). Never fails;
    // an exchange that is already running keeps the address it started with.
    void SetUrl(const std::string& url);
    const std::string& Url() const { return url_; }
    const std::string& Host() const { return address_.host; }
    std::uint16_t Port() const { return address_.port; }
    const std::string& RequestPath() const { return address_.requestPath; }

    // Inactivity limit in whole seconds of every network step (connecting, sending, receiving).
    int TimeOut() const { return timeOutSeconds_; }
    void SetTimeOut(int seconds) { timeOutSeconds_ = seconds; }

    // Performs one exchange and returns the status code (-1 when the status line holds none). The body is read
    // whatever the status. Every failure is thrown as quillcrest::Exception (SocketError for socket and name
    // lookup errors). A call made while an exchange of this client is still waiting is refused with an
    // exception and leaves the running exchange alone.
    int Get();
    bool ExchangeRunning() const { return exchangeRunning_; }

    // The status line and header lines of the last exchange, ending with the empty line that closed them.
    const std::vector<std::string>& Headers() const { return headers_; }
    // The body of the last exchange; emptied and refilled by every exchange.
    const std::string& Body() const { return body_; }
    // Hands the body of the last exchange over without copying it; Body() is empty afterwards.
    std::string TakeBody() { return std::exchange(body_, std::string()); }

  private:
    TcpNetwork& network_;
    std::string url_;
    HttpAddress address_;
    int timeOutSeconds_ = kDefaultTimeOutSeconds;
    bool exchangeRunning_ = false;
    std::vector<std::string> headers_;
    std::string body_;
};

}  // namespace quillcrest
