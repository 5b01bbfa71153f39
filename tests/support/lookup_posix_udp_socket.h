#pragma once

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "base/unique_handle.h"
#include "lookup/lookup_transport.h"

namespace quillcrest::fakes {

using UniqueFd = UniqueHandle<int, decltype(&::close), &::close, -1>;

inline sockaddr_in ToSockaddr(const Ipv4Endpoint& endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(endpoint.address);
    address.sin_port = htons(endpoint.port);
    return address;
}

inline ELookupTransportError ESocketError(const char* operation, int error) {
    return ELookupTransportError(std::string(operation) + " failed: " + std::strerror(error));
}

// The lookup client's datagram socket over POSIX sockets, for native tests.
class PosixUdpSocket : public DatagramSocket {
  public:
    // A flood of stale datagrams must not keep the discard going for ever.
    static constexpr int kMaxDiscardedDatagrams = 256;

    PosixUdpSocket() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        if (!fd_)
            throw ESocketError("socket", errno);
    }

    void Connect(const Ipv4Endpoint& peer) override {
        const sockaddr_in address = ToSockaddr(peer);
        if (::connect(fd_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            throw ESocketError("connect", errno);
    }

    void DiscardPending() override {
        char byte = 0;
        for (int i = 0; i < kMaxDiscardedDatagrams; ++i) {
            const ssize_t got = ::recv(fd_.get(), &byte, sizeof byte, MSG_DONTWAIT);
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                break;
        }
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(fd_.get(), SOL_SOCKET, SO_ERROR, &error, &length);
    }

    void Send(const std::string& datagram) override {
        if (::send(fd_.get(), datagram.data(), datagram.size(), 0) < 0)
            throw ESocketError("send", errno);
    }

    std::optional<std::string> Receive(std::size_t maxBytes, std::chrono::milliseconds timeout) override {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd waiting{fd_.get(), POLLIN, 0};
            const int ready = ::poll(&waiting, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0)
                throw ESocketError("poll", errno);
            if (ready == 0)
                return std::nullopt;
            std::vector<char> buffer(maxBytes);
            const ssize_t got = ::recv(fd_.get(), buffer.data(), buffer.size(), 0);
            if (got < 0)
                throw ESocketError("recv", errno);
            return std::string(buffer.data(), static_cast<std::size_t>(got));
        }
    }

  private:
    UniqueFd fd_;
};

// Name resolution through getaddrinfo; tests only give it loopback addresses and hosts-file names.
class PosixHostResolver : public HostResolver {
  public:
    std::uint32_t Resolve(const std::string& host) override {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_DGRAM;
        addrinfo* found = nullptr;
        if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
            throw ELookupTransportError("cannot resolve " + host);
        const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
        const std::uint32_t result = ntohl(address->sin_addr.s_addr);
        ::freeaddrinfo(found);
        return result;
    }
};

}  // namespace quillcrest::fakes
