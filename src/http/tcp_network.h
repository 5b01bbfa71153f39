#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/ipv4_address.h"

namespace quillcrest {

// One IPv4 TCP socket. Every wait runs on the calling thread and, while nothing is ready, keeps the caller's
// user interface alive (the platform's implementation dispatches pending window messages). Failures are thrown
// as ESocketError with the Windows Sockets code; a wait that the program's quit request ended throws
// EExchangeAbandoned. Destroying the object closes the socket.
class TcpConnection {
  public:
    virtual ~TcpConnection() = default;

    // Connects, waiting at most maxWait; false when the time ran out first.
    virtual bool Connect(const Ipv4Address& address, std::uint16_t port, std::chrono::milliseconds maxWait) = 0;
    // Sends some of the bytes, waiting at most maxWait for room; the count sent, or std::nullopt when the time
    // ran out first.
    virtual std::optional<std::size_t> Send(const char* data, std::size_t size, std::chrono::milliseconds maxWait) = 0;
    // Receives at most capacity bytes, waiting at most maxWait; the count received (0 once the server has
    // closed the connection), or std::nullopt when the time ran out first.
    virtual std::optional<std::size_t> Receive(char* buffer,
                                               std::size_t capacity,
                                               std::chrono::milliseconds maxWait) = 0;
    // Shuts down the sending direction; a failure is of no interest at that point.
    virtual void ShutdownSending() noexcept = 0;
};

// Where connections come from: the platform's sockets and name lookup.
class TcpNetwork {
  public:
    virtual ~TcpNetwork() = default;

    virtual std::unique_ptr<TcpConnection> OpenConnection() = 0;
    // The first IPv4 address of a host name, waiting at most maxWait for the name lookup; nothing when the time ran
    // out. Throws ESocketError (for example 11001) when there is no address.
    virtual std::optional<Ipv4Address> ResolveHost(const std::string& host, std::chrono::milliseconds maxWait) = 0;
};

}  // namespace quillcrest
