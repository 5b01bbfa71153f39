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
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "base/unique_handle.h"
#include "global_reply_budget.h"
#include "ipv4.h"

namespace quillcrest::lookupd {
namespace {

using UniqueFd = UniqueHandle<int, decltype(&::close), &::close, -1>;

// A request longer than the longest address is no address; reading one byte more tells that apart.
constexpr std::size_t kRequestBufferBytes = kLongestDottedAddress + 1;
// Datagrams read in a row before the loop looks at the stop descriptor again.
constexpr int kDatagramsPerPoll = 64;
// Room for a few hundred milliseconds of a flood, so that a moment without CPU (another process, a page fault)
// does not make the kernel drop the requests of well-behaved clients along with the flood. The kernel caps it
// at net.core.rmem_max.
constexpr int kReceiveBufferBytes = 4 << 20;
// The share of the waiting room kept for quiet sources (RateLimiter::IsQuiet), as with the reply budget: when a
// flood keeps the workers busy, the requests of clients that ask now and then still find a place.
constexpr std::size_t kQuietQueueShareDivisor = 10;

struct Request {
    std::uint32_t source;
    std::uint16_t port;
    std::uint32_t destination;  // the local address the request was sent to, where the reply leaves from
    std::string text;           // at most kRequestBufferBytes of the datagram
    std::size_t length;         // the datagram's real length
    std::size_t reserved;       // bytes of the reply budget held for the reply
};

std::runtime_error SystemError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

void SetOption(int socket, int level, int option, int value, const char* name) {
    if (::setsockopt(socket, level, option, &value, sizeof value) != 0)
        throw SystemError(name);
}

// The most a reply to a request of requestBytes may cost on the wire: the amplification rule's limit.
std::size_t WireBytesOfLargestReply(std::size_t requestBytes) {
    return ReplyBudget(requestBytes) + kDatagramHeaderBytes;
}

}  // namespace

struct UdpLookupServer::State {
    State(LookupResponder& responder, RequestLog& log, RateLimits rateLimits, ServerLimits limits)
        : responder(responder),
          log(log),
          rateLimiter(rateLimits),
          limits(limits),
          replyBudget(limits.replyBytesPerSecond) {}

    LookupResponder& responder;
    RequestLog& log;
    RateLimiter rateLimiter;  // used by the receiving thread only
    ServerLimits limits;
    GlobalReplyBudget replyBudget;
    UniqueFd socket;

    std::mutex mutex;
    std::condition_variable queueChanged;
    std::deque<Request> queue;
    bool stopping = false;

    bool ReceiveOne();
    void Take(Request request);
    void Work();
    void Answer(const Request& request);
    bool Send(const Request& request, const std::string& reply);
};

UdpLookupServer::UdpLookupServer(const std::string& address,
                                 std::uint16_t port,
                                 LookupResponder& responder,
                                 RequestLog& log,
                                 RateLimits rateLimits,
                                 ServerLimits limits)
    : state_(std::make_unique<State>(responder, log, rateLimits, limits)) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1)
        throw std::runtime_error("not an IPv4 address: " + address);
    state_->socket.reset(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!state_->socket)
        throw SystemError("socket");
    SetOption(state_->socket.get(), SOL_SOCKET, SO_REUSEPORT, 1, "SO_REUSEPORT");
    SetOption(state_->socket.get(), IPPROTO_IP, IP_PKTINFO, 1, "IP_PKTINFO");
    SetOption(state_->socket.get(), SOL_SOCKET, SO_RCVBUF, kReceiveBufferBytes, "SO_RCVBUF");
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

void UdpLookupServer::Run(int stopFd, const std::function<void()>& onStop) {
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
        // A bounded batch, so that a flood that never lets the socket run dry does not hide the stop request.
        for (int i = 0; i < kDatagramsPerPoll && state_->ReceiveOne(); ++i) {
        }
    }

    if (onStop)
        onStop();
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->stopping = true;
        state_->queue.clear();
    }
    state_->queueChanged.notify_all();
    for (std::thread& worker : workers)
        worker.join();
}

// Reads one datagram and takes it; false when there was none.
bool UdpLookupServer::State::ReceiveOne() {
    char buffer[kRequestBufferBytes];
    sockaddr_in from{};
    iovec data{buffer, sizeof buffer};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr message{};
    message.msg_name = &from;
    message.msg_namelen = sizeof from;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    // MSG_TRUNC gives the datagram's real length, so an over-long one is not mistaken for its beginning.
    const ssize_t got = ::recvmsg(socket.get(), &message, MSG_TRUNC);
    if (got < 0)
        return false;
    std::uint32_t destination = INADDR_ANY;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr; header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(header), sizeof info);
            destination = ntohl(info.ipi_addr.s_addr);
        }
    }
    const std::size_t kept = std::min(static_cast<std::size_t>(got), sizeof buffer);
    Take({ntohl(from.sin_addr.s_addr), ntohs(from.sin_port), destination, std::string(buffer, kept),
          static_cast<std::size_t>(got), 0});
    return true;
}

void UdpLookupServer::State::Take(Request request) {
    // Nothing here writes a line: a flood of these would become a flood of log lines. They are counted.
    if (request.length > kLongestDottedAddress || !ParseDottedAddress(request.text)) {
        log.Count(RequestEvent::NotAnAddress);
        return;
    }
    const auto now = RateLimiter::Clock::now();
    const bool quietSource = rateLimiter.IsQuiet(request.source, now);
    if (!rateLimiter.Allow(request.source, now)) {
        log.Count(RequestEvent::OverRateLimit);
        return;
    }
    request.reserved = WireBytesOfLargestReply(request.length);
    if (!replyBudget.Reserve(request.reserved, quietSource, now)) {
        log.Count(RequestEvent::OverReplyBudget);
        return;
    }
    const std::size_t room =
        quietSource ? limits.queuedRequests : limits.queuedRequests - limits.queuedRequests / kQuietQueueShareDivisor;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (queue.size() < room) {
            queue.push_back(std::move(request));
            queueChanged.notify_one();
            return;
        }
    }
    replyBudget.Refund(request.reserved);
    log.Count(RequestEvent::Busy);
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
    std::optional<std::string> reply;
    try {
        reply = responder.Answer(request.source, request.text);
    } catch (const std::exception& error) {
        replyBudget.Refund(request.reserved);
        log.Write(RequestEvent::NotAnswered, request.source, request.port, request.text,
                  std::string("not answered: ") + error.what());
        return;
    }
    if (!reply) {
        replyBudget.Refund(request.reserved);
        log.Write(RequestEvent::NotAnswered, request.source, request.port, request.text,
                  "not answered: the answer would be too large");
        return;
    }
    if (!Send(request, *reply)) {
        replyBudget.Refund(request.reserved);
        log.Write(RequestEvent::NotAnswered, request.source, request.port, request.text,
                  std::string("send failed: ") + std::strerror(errno));
        return;
    }
    replyBudget.Refund(request.reserved - std::min(request.reserved, reply->size() + kDatagramHeaderBytes));
    log.Write(RequestEvent::Answered, request.source, request.port, request.text, "answered: " + *reply);
}

// Sends the reply from the address the request came to: left to itself, the kernel would pick the source address
// by the route back, and on a host with several addresses the client would drop the reply as a stranger's.
bool UdpLookupServer::State::Send(const Request& request, const std::string& reply) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(request.source);
    to.sin_port = htons(request.port);
    iovec data{const_cast<char*>(reply.data()), reply.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message{};
    message.msg_name = &to;
    message.msg_namelen = sizeof to;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    if (request.destination != INADDR_ANY) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = IPPROTO_IP;
        header->cmsg_type = IP_PKTINFO;
        header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info{};
        info.ipi_spec_dst.s_addr = htonl(request.destination);
        std::memcpy(CMSG_DATA(header), &info, sizeof info);
    }
    return ::sendmsg(socket.get(), &message, 0) >= 0;
}

}  // namespace quillcrest::lookupd
