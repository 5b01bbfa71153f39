#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "http/socket_error.h"
#include "http/tcp_network.h"
#include "support/http_posix_message_queue.h"

namespace quillcrest::fakes {

// The Windows Sockets code for a POSIX error, so native runs raise the messages the program shows.
inline int WinsockCodeOf(int posixError) {
    switch (posixError) {
        case EINTR:
            return 10004;
        case EBADF:
            return 10009;
        case EACCES:
            return 10013;
        case EFAULT:
            return 10014;
        case EINVAL:
            return 10022;
        case EMFILE:
            return 10024;
        case EADDRINUSE:
            return 10048;
        case EADDRNOTAVAIL:
            return 10049;
        case ENETDOWN:
            return 10050;
        case ENETUNREACH:
            return 10051;
        case ECONNABORTED:
            return 10053;
        case ECONNRESET:
            return 10054;
        case EPIPE:
            return 10054;
        case ENOBUFS:
            return 10055;
        case ENOTCONN:
            return 10057;
        case ETIMEDOUT:
            return 10060;
        case ECONNREFUSED:
            return 10061;
        case EHOSTDOWN:
            return 10064;
        case EHOSTUNREACH:
            return 10065;
        default:
            return posixError;
    }
}

// A non-blocking POSIX TCP socket whose waits poll() the socket together with an optional message queue and
// run the queue's tasks while they wait, as the Winsock implementation dispatches window messages.
class PosixTcpConnection : public TcpConnection {
  public:
    explicit PosixTcpConnection(PosixMessageQueue* queue) : queue_(queue) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd_ < 0)
            throw ESocketError(WinsockCodeOf(errno));
    }
    ~PosixTcpConnection() override { ::close(fd_); }
    PosixTcpConnection(const PosixTcpConnection&) = delete;
    PosixTcpConnection& operator=(const PosixTcpConnection&) = delete;

    bool Connect(const Ipv4Address& address, std::uint16_t port, std::chrono::milliseconds maxWait) override {
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(port);
        std::memcpy(&peer.sin_addr, address.octets.data(), address.octets.size());
        if (::connect(fd_, reinterpret_cast<const sockaddr*>(&peer), sizeof(peer)) == 0)
            return true;
        if (errno != EINPROGRESS)
            throw ESocketError(WinsockCodeOf(errno));
        if (!WaitFor(POLLOUT, maxWait))
            return false;
        int error = 0;
        socklen_t length = sizeof(error);
        ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length);
        if (error != 0)
            throw ESocketError(WinsockCodeOf(error));
        return true;
    }

    std::optional<std::size_t> Send(const char* data, std::size_t size, std::chrono::milliseconds maxWait) override {
        for (;;) {
            const ssize_t sent = ::send(fd_, data, size, MSG_NOSIGNAL);
            if (sent >= 0)
                return static_cast<std::size_t>(sent);
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                throw ESocketError(WinsockCodeOf(errno));
            if (!WaitFor(POLLOUT, maxWait))
                return std::nullopt;
        }
    }

    std::optional<std::size_t> Receive(char* buffer, std::size_t capacity, std::chrono::milliseconds maxWait) override {
        for (;;) {
            const ssize_t received = ::recv(fd_, buffer, capacity, 0);
            if (received >= 0)
                return static_cast<std::size_t>(received);
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                throw ESocketError(WinsockCodeOf(errno));
            if (!WaitFor(POLLIN, maxWait))
                return std::nullopt;
        }
    }

    void ShutdownSending() noexcept override { ::shutdown(fd_, SHUT_WR); }

  private:
    using Clock = std::chrono::steady_clock;

    // True when the socket is ready (or in error) before maxWait has passed.
    bool WaitFor(short events, std::chrono::milliseconds maxWait) {
        const auto deadline = Clock::now() + maxWait;
        for (;;) {
            pollfd fds[2] = {{fd_, events, 0}, {queue_ ? queue_->WakeDescriptor() : -1, POLLIN, 0}};
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            const int timeout = static_cast<int>(std::max<long long>(left.count(), 0));
            const int ready = ::poll(fds, 2, timeout);
            if (ready < 0 && errno != EINTR)
                throw ESocketError(WinsockCodeOf(errno));
            if (ready > 0 && fds[0].revents != 0)
                return true;
            if (ready > 0 && fds[1].revents != 0) {
                queue_->DispatchPending();
                continue;
            }
            if (ready == 0)
                return false;
        }
    }

    int fd_ = -1;
    PosixMessageQueue* queue_;
};

// POSIX sockets with a fixed table of host names: tests never send a name to a real resolver.
class PosixTcpNetwork : public TcpNetwork {
  public:
    explicit PosixTcpNetwork(PosixMessageQueue* queue = nullptr,
                             std::map<std::string, Ipv4Address> knownHosts = {{"localhost", {{127, 0, 0, 1}}}})
        : queue_(queue), knownHosts_(std::move(knownHosts)) {}

    std::unique_ptr<TcpConnection> OpenConnection() override {
        ++connectionsOpened;
        return std::make_unique<PosixTcpConnection>(queue_);
    }

    std::optional<Ipv4Address> ResolveHost(const std::string& host, std::chrono::milliseconds maxWait) override {
        lookedUp.push_back(host);
        lookupWaits.push_back(maxWait);
        // A resolver that never answers: the wait runs out.
        if (silentHosts.count(host))
            return std::nullopt;
        const auto found = knownHosts_.find(host);
        if (found == knownHosts_.end())
            throw ESocketError(kHostNotFoundCode);
        return found->second;
    }

    int connectionsOpened = 0;
    std::vector<std::string> lookedUp;
    std::vector<std::chrono::milliseconds> lookupWaits;
    std::set<std::string> silentHosts;

  private:
    PosixMessageQueue* queue_;
    std::map<std::string, Ipv4Address> knownHosts_;
};

}  // namespace quillcrest::fakes
