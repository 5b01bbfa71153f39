#include "http/winsock_network_win.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>
#include <utility>

#include "base/host_address_lookup_win.h"
#include "base/win_handles_win.h"
#include "http/exchange_abandoned.h"
#include "http/socket_error.h"

namespace quillcrest {
namespace {

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds TimeLeft(Clock::time_point deadline) {
    return std::max(std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()),
                    std::chrono::milliseconds::zero());
}

// A TCP socket tied to an event by WSAEventSelect: the socket does not block, and its event wakes the wait
// when it can connect, send or receive, or when the peer has closed.
class WinsockConnection : public TcpConnection {
  public:
    explicit WinsockConnection(EventWait wait) : wait_(std::move(wait)) {
        socket_.reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        if (!socket_)
            throw ESocketError(::WSAGetLastError());
        readiness_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        if (!readiness_)
            throw ESocketError(static_cast<int>(::GetLastError()));
        if (::WSAEventSelect(socket_.get(), readiness_.get(), FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) ==
            SOCKET_ERROR)
            throw ESocketError(::WSAGetLastError());
    }

    bool Connect(const Ipv4Address& address, std::uint16_t port, std::chrono::milliseconds maxWait) override {
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = ::htons(port);
        std::memcpy(&peer.sin_addr, address.octets.data(), address.octets.size());
        if (::connect(socket_.get(), reinterpret_cast<const sockaddr*>(&peer), sizeof(peer)) == 0)
            return true;
        const int started = ::WSAGetLastError();
        if (started != WSAEWOULDBLOCK)
            throw ESocketError(started);
        const auto deadline = Clock::now() + maxWait;
        for (;;) {
            if (!wait_(readiness_.get(), TimeLeft(deadline)))
                return false;
            const WSANETWORKEVENTS events = TakeNetworkEvents();
            if (events.lNetworkEvents & FD_CONNECT) {
                if (events.iErrorCode[FD_CONNECT_BIT] != 0)
                    throw ESocketError(events.iErrorCode[FD_CONNECT_BIT]);
                return true;
            }
        }
    }

    std::optional<std::size_t> Send(const char* data, std::size_t size, std::chrono::milliseconds maxWait) override {
        const int length = ClampedLength(size);
        return TransferWhenReady([&] { return ::send(socket_.get(), data, length, 0); }, maxWait);
    }

    std::optional<std::size_t> Receive(char* buffer, std::size_t capacity, std::chrono::milliseconds maxWait) override {
        const int length = ClampedLength(capacity);
        return TransferWhenReady([&] { return ::recv(socket_.get(), buffer, length, 0); }, maxWait);
    }

    void ShutdownSending() noexcept override { ::shutdown(socket_.get(), SD_SEND); }

  private:
    static int ClampedLength(std::size_t size) {
        return static_cast<int>(std::min<std::size_t>(size, std::numeric_limits<int>::max()));
    }

    // Repeats transfer (one send or recv) until it moves bytes, fails, or maxWait passes while the socket would
    // block: the count moved, or nothing when the time ran out.
    template <typename Transfer>
    std::optional<std::size_t> TransferWhenReady(Transfer transfer, std::chrono::milliseconds maxWait) {
        const auto deadline = Clock::now() + maxWait;
        for (;;) {
            const int moved = transfer();
            if (moved != SOCKET_ERROR)
                return static_cast<std::size_t>(moved);
            const int error = ::WSAGetLastError();
            if (error != WSAEWOULDBLOCK)
                throw ESocketError(error);
            if (!wait_(readiness_.get(), TimeLeft(deadline)))
                return std::nullopt;
            TakeNetworkEvents();
        }
    }

    // Reads and clears what happened on the socket; this also resets the event.
    WSANETWORKEVENTS TakeNetworkEvents() {
        WSANETWORKEVENTS events{};
        if (::WSAEnumNetworkEvents(socket_.get(), readiness_.get(), &events) == SOCKET_ERROR)
            throw ESocketError(::WSAGetLastError());
        return events;
    }

    // Declared before the socket, so the socket is closed while its event still exists.
    UniqueKernelHandle readiness_;
    UniqueSocket socket_;
    EventWait wait_;
};

}  // namespace

bool WaitForPageDispatchingMessages(HANDLE event, std::chrono::milliseconds timeout) {
    switch (WaitEndDispatchingMessages(event, timeout, QuitDuringWait::EndTheWait)) {
        case WaitEnd::EventSignalled:
            return true;
        case WaitEnd::TimedOut:
            return false;
        case WaitEnd::QuitRequested:
            break;
    }
    throw EExchangeAbandoned();
}

std::unique_ptr<TcpConnection> WinsockNetwork::OpenConnection() {
    return std::make_unique<WinsockConnection>(wait_);
}

std::optional<Ipv4Address> WinsockNetwork::ResolveHost(const std::string& host, std::chrono::milliseconds maxWait) {
    const std::optional<HostAddressAnswer> answer = LookUpHostAddress(host, SOCK_STREAM, wait_, maxWait);
    if (!answer)
        return std::nullopt;
    // getaddrinfo answers with the Windows Sockets codes themselves (11001 for an unknown host).
    if (answer->code != 0)
        throw ESocketError(answer->code);
    if (!answer->address)
        throw ESocketError(WSANO_DATA);
    Ipv4Address result;
    std::memcpy(result.octets.data(), &*answer->address, result.octets.size());
    return result;
}

}  // namespace quillcrest
