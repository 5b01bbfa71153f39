#include "http/http_client.h"

#include <chrono>
#include <memory>
#include <optional>

#include "base/exception.h"
#include "http/http_header_lines.h"
#include "http/http_request.h"
#include "http/http_response_reader.h"
#include "http/inactivity_countdown.h"
#include "http/socket_error.h"

namespace quillcrest {
namespace {

constexpr char kTimedOutMessage[] = "Operation timed out";
constexpr char kExchangeRunningMessage[] = "The previous page request is still running";
// The most one receive call may bring. Large enough that a fast server's bytes take few calls, small enough that
// the buffer stays in the processor's cache while the reader copies it on.
constexpr std::size_t kReceiveBufferSize = 256 * 1024;

// Marks the client busy for the length of one exchange, whichever way it ends.
class ExchangeMark {
  public:
    explicit ExchangeMark(bool& running) : running_(running) { running_ = true; }
    ~ExchangeMark() { running_ = false; }
    ExchangeMark(const ExchangeMark&) = delete;
    ExchangeMark& operator=(const ExchangeMark&) = delete;

  private:
    bool& running_;
};

// Once connected, every outcome ends by shutting down the sending direction; closing follows when the
// connection object goes.
class SendingShutdownOnExit {
  public:
    explicit SendingShutdownOnExit(TcpConnection& connection) : connection_(connection) {}
    ~SendingShutdownOnExit() { connection_.ShutdownSending(); }
    SendingShutdownOnExit(const SendingShutdownOnExit&) = delete;
    SendingShutdownOnExit& operator=(const SendingShutdownOnExit&) = delete;

  private:
    TcpConnection& connection_;
};

const MonotonicClock& SystemSteadyClock() {
    static const SteadyMonotonicClock clock;
    return clock;
}

// What a step may still wait. A countdown that has run out ends the exchange before the next call, not only in
// one that waits: data that is already there would otherwise still be taken, and a server that keeps a little
// always ready would never meet the exchange's deadline.
std::chrono::milliseconds WaitLeft(const InactivityCountdown& countdown) {
    const std::chrono::milliseconds left = countdown.Remaining();
    if (left.count() == 0)
        throw Exception(kTimedOutMessage);
    return left;
}

bool IsPlausibleHostName(const std::string& host) {
    if (host.empty())
        return false;
    for (const char c : host) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

// A dotted address is used as it is; anything else goes to the name lookup, except texts that cannot be a
// host name at all (an empty host would otherwise name the local machine). The name lookup waits within the
// countdown that the connection then goes on with.
Ipv4Address ServerAddress(TcpNetwork& network, const std::string& host, const InactivityCountdown& countdown) {
    if (const auto dotted = ParseDottedIpv4(host))
        return *dotted;
    if (!IsPlausibleHostName(host))
        throw ESocketError(kHostNotFoundCode);
    const std::optional<Ipv4Address> resolved = network.ResolveHost(host, WaitLeft(countdown));
    if (!resolved)
        throw Exception(kTimedOutMessage);
    return *resolved;
}

void SendAll(TcpConnection& connection, const std::string& bytes, InactivityCountdown& countdown) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const auto piece = connection.Send(bytes.data() + sent, bytes.size() - sent, WaitLeft(countdown));
        if (!piece)
            throw Exception(kTimedOutMessage);
        sent += *piece;
        countdown.Restart();
    }
}

void ReceiveResponse(TcpConnection& connection, HttpResponseReader& reader, InactivityCountdown& countdown) {
    // Not zero-filled: only bytes a receive call wrote are ever read.
    const std::unique_ptr<char[]> buffer(new char[kReceiveBufferSize]);
    while (!reader.Finished()) {
        const std::optional<std::size_t> received =
            connection.Receive(buffer.get(), kReceiveBufferSize, WaitLeft(countdown));
        if (!received)
            throw Exception(kTimedOutMessage);
        if (*received == 0) {
            reader.ConsumeEnd();
            break;
        }
        reader.Consume(buffer.get(), *received);
        countdown.Restart();
    }
    if (reader.Failed())
        throw Exception(HttpReadErrorMessage(reader.Error()));
}

}  // namespace

HttpClient::HttpClient(TcpNetwork& network) : HttpClient(network, SystemSteadyClock()) {}

HttpClient::HttpClient(TcpNetwork& network, const MonotonicClock& clock) : network_(network), clock_(clock) {}

void HttpClient::SetUrl(const std::string& url) {
    url_ = url;
    address_ = ParseHttpUrl(url);
}

int HttpClient::Get() {
    if (exchangeRunning_)
        throw Exception(kExchangeRunningMessage);
    ExchangeMark mark(exchangeRunning_);
    // Handlers that run during the waits may change the address; this exchange keeps the one it started with.
    const HttpAddress target = address_;
    headers_.clear();
    body_.clear();

    InactivityCountdown countdown{clock_, std::chrono::seconds(timeOutSeconds_), kExchangeDeadline};
    const std::unique_ptr<TcpConnection> connection = network_.OpenConnection();
    const Ipv4Address server = ServerAddress(network_, target.host, countdown);
    if (!connection->Connect(server, target.port, WaitLeft(countdown)))
        throw Exception(kTimedOutMessage);
    const SendingShutdownOnExit shutdown(*connection);

    countdown.Restart();
    SendAll(*connection, GetRequestText(target.requestPath, target.host), countdown);
    HttpResponseReader reader;
    ReceiveResponse(*connection, reader, countdown);
    headers_ = reader.TakeHeaderLines();
    body_ = reader.TakeBody();
    return StatusCodeOf(headers_.front());
}

}  // namespace quillcrest
