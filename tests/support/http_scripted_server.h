#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace quillcrest::fakes {

// One thing the scripted server does after it has read the request.
struct ServerStep {
    enum class Kind {
        Send,              // send bytes in one call
        SendBytewise,      // send bytes one per call, pausing between them
        Pause,             // do nothing for a while
        SendUntilRefused,  // send bytes again and again until the client is gone
        EndSending,        // shut down the sending side only, so the connection can still be watched
        Reset,             // end the connection with a reset instead of a close
        AwaitClientEnd,    // wait until the client closes its sending side
    };
    Kind kind;
    std::string bytes;
    std::chrono::milliseconds pause{0};
};

inline ServerStep Send(std::string bytes) {
    return {ServerStep::Kind::Send, std::move(bytes)};
}
inline ServerStep SendBytewise(std::string bytes, std::chrono::milliseconds pause) {
    return {ServerStep::Kind::SendBytewise, std::move(bytes), pause};
}
inline ServerStep Pause(std::chrono::milliseconds pause) {
    return {ServerStep::Kind::Pause, {}, pause};
}
inline ServerStep SendUntilRefused(std::string bytes) {
    return {ServerStep::Kind::SendUntilRefused, std::move(bytes)};
}
inline ServerStep EndSending() {
    return {ServerStep::Kind::EndSending, {}};
}
inline ServerStep Reset() {
    return {ServerStep::Kind::Reset, {}};
}
inline ServerStep AwaitClientEnd() {
    return {ServerStep::Kind::AwaitClientEnd, {}};
}

// A TCP server on 127.0.0.1 (a port of its own) that serves one connection from a script: it reads the
// request up to its empty line, runs the steps and closes. It sends exact bytes, so tests control every
// boundary. Every wait is bounded, so a client that never comes cannot hang the test.
class ScriptedTcpServer {
  public:
    static constexpr std::chrono::milliseconds kPatience{15000};
    // Upper bound for SendUntilRefused, far beyond any limit of the client.
    static constexpr std::size_t kMaxFloodBytes = 256u * 1024 * 1024;

    explicit ScriptedTcpServer(std::vector<ServerStep> script) : script_(std::move(script)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (listener_ < 0)
            throw std::runtime_error("socket failed");
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(listener_, 4) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            ::close(listener_);
            throw std::runtime_error("cannot listen on loopback");
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }

    ~ScriptedTcpServer() {
        Finish();
        ::close(listener_);
    }
    ScriptedTcpServer(const ScriptedTcpServer&) = delete;
    ScriptedTcpServer& operator=(const ScriptedTcpServer&) = delete;

    std::uint16_t port() const { return port_; }

    // Waits for the script to end. Afterwards request() and clientEnded() are final.
    void Finish() {
        if (thread_.joinable())
            thread_.join();
    }

    // The bytes the client sent up to and including its empty line.
    std::string request() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return request_;
    }
    // Whether the client ended its sending side or the connection (seen by AwaitClientEnd or a failed send).
    bool clientEnded() const { return clientEnded_; }
    bool accepted() const { return accepted_; }

  private:
    bool WaitReadable(int fd, std::chrono::milliseconds wait) {
        pollfd entry{fd, POLLIN, 0};
        return ::poll(&entry, 1, static_cast<int>(wait.count())) > 0;
    }

    void Serve() {
        if (!WaitReadable(listener_, kPatience))
            return;
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            return;
        accepted_ = true;
        const int one = 1;
        ::setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
        ReadRequest(connection);
        bool reset = false;
        for (const ServerStep& step : script_) {
            if (!RunStep(connection, step, reset))
                break;
        }
        if (reset) {
            const linger abort{1, 0};
            ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort, sizeof(abort));
        }
        ::close(connection);
    }

    void ReadRequest(int connection) {
        std::string received;
        char buffer[1024];
        while (received.find("\r\n\r\n") == std::string::npos && WaitReadable(connection, kPatience)) {
            const ssize_t count = ::recv(connection, buffer, sizeof(buffer), 0);
            if (count <= 0)
                break;
            received.append(buffer, static_cast<std::size_t>(count));
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        request_ = received;
    }

    // False when the connection is no longer usable.
    bool SendAll(int connection, const char* data, std::size_t size) {
        while (size > 0) {
            const ssize_t sent = ::send(connection, data, size, MSG_NOSIGNAL);
            if (sent <= 0) {
                // The client closed while the server still had something to say.
                clientEnded_ = true;
                return false;
            }
            data += sent;
            size -= static_cast<std::size_t>(sent);
        }
        return true;
    }

    bool RunStep(int connection, const ServerStep& step, bool& reset) {
        switch (step.kind) {
            case ServerStep::Kind::Send:
                return SendAll(connection, step.bytes.data(), step.bytes.size());
            case ServerStep::Kind::SendBytewise:
                for (std::size_t i = 0; i < step.bytes.size(); ++i) {
                    if (i > 0)
                        std::this_thread::sleep_for(step.pause);
                    if (!SendAll(connection, step.bytes.data() + i, 1))
                        return false;
                }
                return true;
            case ServerStep::Kind::Pause:
                std::this_thread::sleep_for(step.pause);
                return true;
            case ServerStep::Kind::SendUntilRefused:
                for (std::size_t total = 0; total < kMaxFloodBytes; total += step.bytes.size()) {
                    if (!SendAll(connection, step.bytes.data(), step.bytes.size()))
                        return false;
                }
                return true;
            case ServerStep::Kind::EndSending:
                ::shutdown(connection, SHUT_WR);
                return true;
            case ServerStep::Kind::Reset:
                reset = true;
                return false;
            case ServerStep::Kind::AwaitClientEnd: {
                char buffer[256];
                while (WaitReadable(connection, kPatience)) {
                    if (::recv(connection, buffer, sizeof(buffer), 0) <= 0) {
                        clientEnded_ = true;
                        break;
                    }
                }
                return true;
            }
        }
        return false;
    }

    std::vector<ServerStep> script_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::string request_;
    std::atomic<bool> clientEnded_{false};
    std::atomic<bool> accepted_{false};
};

}  // namespace quillcrest::fakes
