#include "udp_lookup_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "base/unique_handle.h"
#include "ipv4.h"

namespace quillcrest::lookupd {
namespace {

using UniqueFd = UniqueHandle<int, decltype(&::close), &::close, -1>;

// A request longer than the longest address is no address; reading one byte more tells that apart.
constexpr std::size_t kRequestBufferBytes = kLongestDottedAddress + 1;

struct Request {
    std::uint32_t source;
    std::uint16_t port;
    std::string text;    // at most kRequestBufferBytes of the datagram
    std::size_t length;  // the datagram's real length
};

std::runtime_error SystemError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

struct UdpLookupServer::State {
    LookupResponder& responder;
    RequestLog& log;
    RateLimiter rateLimiter;
    ServerLimits limits;
    UniqueFd socket;

    std::mutex mutex;
    std::condition_variable queueChanged;
    std::deque<Request> queue;
    bool stopping = false;

    void Work();
    void Answer(const Request& request);
    void Take(const Request& request);
};

UdpLookupServer::UdpLookupServer(const std::string& address,
                                 std::uint16_t port,
                                 LookupResponder& responder,
                                 RequestLog& log,
                                 RateLimits rateLimits,
                                 ServerLimits limits)
    : state_(new State{responder, log, RateLimiter(rateLimits), limits, UniqueFd(), {}, {}, {}, false}) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1)
        throw std::runtime_error("not an IPv4 address: " + address);
    state_->socket.reset(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!state_->socket)
        throw SystemError("socket");
    if (::bind(state_->socket.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
        throw SystemError("bind " + address + ":" + std::to_string(port));
}

UdpLookupServer::~UdpLookupServer() = default;

std::uint16_t UdpLookupServer::port() const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    ::getsockname(state_->socket.get(), reinterpret_cast<sockaddr*>(&local), &length);
    return ntohs(local.sin_port);
}

void UdpLookupServer::Run(int stopFd) {
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->stopping = false;
    }
    std::vector<std::thread> workers;
    for (std::size_t i = 0; i < state_->limits.workers; ++i)
        workers.emplace_back([this] { state_->Work(); });

    pollfd watched[2] = {{state_->socket.get(), POLLIN, 0}, {stopFd, POLLIN, 0}};
    for (;;) {
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (watched[1].revents != 0)
            break;
        for (;;) {
            char buffer[kRequestBufferBytes];
            sockaddr_in from{};
            socklen_t length = sizeof from;
            // MSG_TRUNC gives the datagram's real length, so an over-long one is not mistaken for its beginning.
            const ssize_t got = ::recvfrom(state_->socket.get(), buffer, sizeof buffer, MSG_TRUNC,
                                           reinterpret_cast<sockaddr*>(&from), &length);
            if (got < 0)
                break;
            const std::size_t kept = std::min(static_cast<std::size_t>(got), sizeof buffer);
            state_->Take({ntohl(from.sin_addr.s_addr), ntohs(from.sin_port), std::string(buffer, kept),
                          static_cast<std::size_t>(got)});
        }
    }

    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->stopping = true;
        state_->queue.clear();
    }
    state_->queueChanged.notify_all();
    for (std::thread& worker : workers)
        worker.join();
}

void UdpLookupServer::State::Take(const Request& request) {
    if (request.length > kLongestDottedAddress || !ParseDottedAddress(request.text)) {
        log.Write(request.source, request.port, request.text,
                  "ignored: not an IPv4 address (" + std::to_string(request.length) + " bytes)");
        return;
    }
    if (!rateLimiter.Allow(request.source, RateLimiter::Clock::now())) {
        log.Write(request.source, request.port, request.text, "refused: over the rate limit");
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (queue.size() < limits.queuedRequests) {
            queue.push_back(request);
            queueChanged.notify_one();
            return;
        }
    }
    log.Write(request.source, request.port, request.text, "dropped: too many requests waiting");
}

void UdpLookupServer::State::Work() {
    for (;;) {
        Request request;
        {
            std::unique_lock<std::mutex> lock(mutex);
            queueChanged.wait(lock, [&] { return stopping || !queue.empty(); });
            if (stopping)
                return;
            request = std::move(queue.front());
            queue.pop_front();
        }
        Answer(request);
    }
}

void UdpLookupServer::State::Answer(const Request& request) {
    const std::optional<std::string> reply = responder.Answer(request.source, request.text);
    if (!reply) {
        log.Write(request.source, request.port, request.text, "ignored: the answer would be too large");
        return;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(request.source);
    to.sin_port = htons(request.port);
    if (::sendto(socket.get(), reply->data(), reply->size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) <
        0) {
        log.Write(request.source, request.port, request.text, std::string("send failed: ") + std::strerror(errno));
        return;
    }
    log.Write(request.source, request.port, request.text, "answered: " + *reply);
}

}  // namespace quillcrest::lookupd
