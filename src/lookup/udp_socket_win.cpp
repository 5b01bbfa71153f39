#include "lookup/udp_socket_win.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace quillcrest {
namespace {

ELookupTransportError SocketFailure(const char* operation, int code) {
    return ELookupTransportError(std::string(operation) + " failed with Windows Sockets error " + std::to_string(code));
}

sockaddr_in ToSockaddr(const Ipv4Endpoint& endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(endpoint.address);
    address.sin_port = htons(endpoint.port);
    return address;
}

}  // namespace

bool WaitForDatagramDispatchingMessages(HANDLE event, std::chrono::milliseconds timeout) {
    try {
        return WaitDispatchingMessages(event, timeout, QuitDuringWait::EndTheWait);
    } catch (const EMessageWaitError&) {
        throw ELookupTransportError("waiting for the lookup reply failed");
    }
}

UdpSocket::UdpSocket(EventWait wait)
    : socket_(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP)),
      readiness_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      wait_(std::move(wait)) {
    if (!socket_)
        throw SocketFailure("socket", ::WSAGetLastError());
    if (!readiness_)
        throw SocketFailure("CreateEvent", static_cast<int>(::GetLastError()));
    // Also makes the socket non-blocking. FD_CLOSE carries the "port unreachable" error under Wine.
    if (::WSAEventSelect(socket_.get(), readiness_.get(), FD_READ | FD_CLOSE) == SOCKET_ERROR)
        throw SocketFailure("WSAEventSelect", ::WSAGetLastError());
}

void UdpSocket::Connect(const Ipv4Endpoint& peer) {
    const sockaddr_in address = ToSockaddr(peer);
    if (::connect(socket_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR)
        throw SocketFailure("connect", ::WSAGetLastError());
}

void UdpSocket::DiscardPending() {
    char byte = 0;
    for (int i = 0; i < kMaxDiscardedDatagrams; ++i) {
        // A datagram longer than one byte fails with WSAEMSGSIZE but is gone all the same; a refusal left over
        // from an earlier exchange (10054, 10061) is gone once read.
        if (::recv(socket_.get(), &byte, sizeof byte, 0) == SOCKET_ERROR && ::WSAGetLastError() == WSAEWOULDBLOCK)
            break;
    }
    int error = 0;
    int length = sizeof error;
    ::getsockopt(socket_.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
    WSANETWORKEVENTS recorded{};
    ::WSAEnumNetworkEvents(socket_.get(), readiness_.get(), &recorded);
}

void UdpSocket::Send(const std::string& datagram) {
    if (datagram.size() > INT_MAX)
        throw ELookupTransportError("datagram too long");
    if (::send(socket_.get(), datagram.data(), static_cast<int>(datagram.size()), 0) == SOCKET_ERROR)
        throw SocketFailure("send", ::WSAGetLastError());
}

std::optional<std::string> UdpSocket::Receive(std::size_t maxBytes, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string buffer(std::min<std::size_t>(std::max<std::size_t>(maxBytes, 1), INT_MAX), '\0');
    for (;;) {
        const int got = ::recv(socket_.get(), buffer.data(), static_cast<int>(buffer.size()), 0);
        if (got != SOCKET_ERROR) {
            buffer.resize(static_cast<std::size_t>(got));
            return buffer;
        }
        const int code = ::WSAGetLastError();
        // Winsock fills the buffer with the datagram's beginning and drops the rest: the reply is cut.
        if (code == WSAEMSGSIZE)
            return buffer;
        if (code != WSAEWOULDBLOCK)
            throw SocketFailure("recv", code);
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !wait_(readiness_.get(), left))
            return LastChance(buffer);
        ThrowRecordedError();
    }
}

std::optional<std::string> UdpSocket::LastChance(std::string& buffer) {
    const int got = ::recv(socket_.get(), buffer.data(), static_cast<int>(buffer.size()), 0);
    if (got != SOCKET_ERROR) {
        buffer.resize(static_cast<std::size_t>(got));
        return buffer;
    }
    if (::WSAGetLastError() == WSAEMSGSIZE)
        return buffer;
    return std::nullopt;
}

void UdpSocket::ThrowRecordedError() {
    WSANETWORKEVENTS recorded{};
    if (::WSAEnumNetworkEvents(socket_.get(), readiness_.get(), &recorded) == SOCKET_ERROR)
        throw SocketFailure("WSAEnumNetworkEvents", ::WSAGetLastError());
    if ((recorded.lNetworkEvents & FD_CLOSE) && recorded.iErrorCode[FD_CLOSE_BIT] != 0)
        throw SocketFailure("recv", recorded.iErrorCode[FD_CLOSE_BIT]);
    if ((recorded.lNetworkEvents & FD_READ) && recorded.iErrorCode[FD_READ_BIT] != 0)
        throw SocketFailure("recv", recorded.iErrorCode[FD_READ_BIT]);
}

}  // namespace quillcrest
