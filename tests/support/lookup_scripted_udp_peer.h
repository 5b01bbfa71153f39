#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "lookup_posix_udp_socket.h"

namespace quillcrest::fakes {

// What the peer does with one request.
struct PeerStep {
    explicit PeerStep(std::optional<std::string> reply,
                      std::chrono::milliseconds delay = std::chrono::milliseconds(0),
                      std::optional<std::string> strangerReply = std::nullopt)
        : reply(std::move(reply)), delay(delay), strangerReply(std::move(strangerReply)) {}

    std::optional<std::string> reply;          // nothing: stay silent
    std::chrono::milliseconds delay;           // wait this long before replying
    std::optional<std::string> strangerReply;  // sent first, from another port of the same host
};

// A UDP peer on 127.0.0.1 that answers requests by a script, one step per request in arrival order, and stays
// silent once the script is used up.
class ScriptedUdpPeer {
  public:
    // Port 0 takes any free port.
    explicit ScriptedUdpPeer(std::uint16_t port = 0)
        : socket_(BoundLoopbackSocket(port)), stranger_(BoundLoopbackSocket(0)) {
        timeval tick{0, 20000};
        ::setsockopt(socket_.get(), SOL_SOCKET, SO_RCVTIMEO, &tick, sizeof tick);
        sockaddr_in address{};
        socklen_t length = sizeof address;
        ::getsockname(socket_.get(), reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }

    ~ScriptedUdpPeer() {
        stop_ = true;
        thread_.join();
    }

    ScriptedUdpPeer(const ScriptedUdpPeer&) = delete;
    ScriptedUdpPeer& operator=(const ScriptedUdpPeer&) = delete;

    std::uint16_t port() const { return port_; }

    void Script(std::vector<PeerStep> steps) {
        std::lock_guard<std::mutex> lock(mutex_);
        steps_.assign(steps.begin(), steps.end());
    }

    std::vector<std::string> Requests() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

    // Waits until the peer has finished `count` steps (replies included), at most `limit`.
    bool WaitForHandled(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        std::unique_lock<std::mutex> lock(mutex_);
        return handledChanged_.wait_for(lock, limit, [&] { return handled_ >= count; });
    }

  private:
    static UniqueFd BoundLoopbackSocket(std::uint16_t port) {
        UniqueFd fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
        const sockaddr_in address = ToSockaddr({INADDR_LOOPBACK, port});
        if (!fd || ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            throw ESocketError("bind", errno);
        return fd;
    }

    void Serve() {
        char buffer[65536];
        while (!stop_) {
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t got =
                ::recvfrom(socket_.get(), buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
            if (got < 0)
                continue;
            std::optional<PeerStep> step;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.emplace_back(buffer, static_cast<std::size_t>(got));
                if (!steps_.empty()) {
                    step = steps_.front();
                    steps_.pop_front();
                }
            }
            if (step)
                Perform(*step, from);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                ++handled_;
            }
            handledChanged_.notify_all();
        }
    }

    void Perform(const PeerStep& step, const sockaddr_in& to) {
        const auto* target = reinterpret_cast<const sockaddr*>(&to);
        if (step.strangerReply)
            ::sendto(stranger_.get(), step.strangerReply->data(), step.strangerReply->size(), 0, target, sizeof to);
        std::this_thread::sleep_for(step.delay);
        if (step.reply)
            ::sendto(socket_.get(), step.reply->data(), step.reply->size(), 0, target, sizeof to);
    }

    UniqueFd socket_;
    UniqueFd stranger_;
    std::uint16_t port_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable handledChanged_;
    std::deque<PeerStep> steps_;
    std::vector<std::string> requests_;
    std::size_t handled_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace quillcrest::fakes
