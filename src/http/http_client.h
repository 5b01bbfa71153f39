#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/monotonic_clock.h"
#include "http/http_address.h"
#include "http/tcp_network.h"

namespace quillcrest {

// Fetches one web page per call with HTTP/1.1 GET over a fresh TCP connection: no proxy, no credentials, no
// user agent, nothing kept alive. Used on the user-interface thread only; its waits dispatch window messages,
// so other handlers may run during Get, and the owner must keep the client alive until Get returns.
class HttpClient {
  public:
    static constexpr int kDefaultTimeOutSeconds = 60;
    // The longest one exchange may take, name lookup and connection included, however steadily the server sends:
    // the inactivity limit alone lets a server that trickles a byte now and then hold a window's fetch for as long
    // as the body limit allows. The pages and their pictures are a few kilobytes, which even a modem line brings in
    // seconds, and a user who clicked "Info" waits for the window to open: nobody waits a minute and a half for it.
    // Longer than one whole inactivity limit, so a server that is silent once (a slow name lookup, a slow first
    // byte) still has all of it, and a silent server still ends by the inactivity limit.
    static constexpr std::chrono::seconds kExchangeDeadline{90};

    // The network (and the clock) must outlive the client. The clock measures both limits; without one the
    // system's steady clock does.
    explicit HttpClient(TcpNetwork& network);
    HttpClient(TcpNetwork& network, const MonotonicClock& clock);

    // Sets the page address and derives Host, Port and RequestPath from it (see ParseHttpUrl). Never fails;
    // an exchange that is already running keeps the address it started with.
    void SetUrl(const std::string& url);
    const std::string& Url() const { return url_; }
    const std::string& Host() const { return address_.host; }
    std::uint16_t Port() const { return address_.port; }
    const std::string& RequestPath() const { return address_.requestPath; }

    // Inactivity limit in whole seconds of every network step (connecting, sending, receiving). The exchange as a
    // whole ends at kExchangeDeadline whatever this limit.
    int TimeOut() const { return timeOutSeconds_; }
    void SetTimeOut(int seconds) { timeOutSeconds_ = seconds; }

    // Performs one exchange and returns the status code (-1 when the status line holds none). The body is read
    // whatever the status. Every failure is thrown as quillcrest::Exception (ESocketError for socket and name
    // lookup errors); a quit request during a wait ends the exchange with EExchangeAbandoned, which is no failure. A
    // call made while an exchange of this client is still waiting is refused with an exception and leaves the running
    // exchange alone.
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
    const MonotonicClock& clock_;
    std::string url_;
    HttpAddress address_;
    int timeOutSeconds_ = kDefaultTimeOutSeconds;
    bool exchangeRunning_ = false;
    std::vector<std::string> headers_;
    std::string body_;
};

}  // namespace quillcrest
