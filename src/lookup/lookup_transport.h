#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/exception.h"

namespace quillcrest {

// An IPv4 address and UDP port, both in host byte order.
struct Ipv4Endpoint {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
};

// Resolving, sending or receiving failed; the lookup client turns it into LookupOutcome::Unreachable.
class ELookupTransportError : public Exception {
  public:
    explicit ELookupTransportError(const std::string& message) : Exception(message) {}
};

// Turns the lookup host's name into an IPv4 address through the computer's ordinary name resolution.
class HostResolver {
  public:
    virtual ~HostResolver() = default;
    // Throws ELookupTransportError when the name does not resolve to an IPv4 address.
    virtual std::uint32_t Resolve(const std::string& host) = 0;
};

// One UDP socket on an ephemeral local port. Every operation throws ELookupTransportError on failure.
class DatagramSocket {
  public:
    virtual ~DatagramSocket() = default;
    // Binds the socket to one peer: from now on only that peer's datagrams are delivered, and errors the network
    // reports for it (port unreachable) surface in Send or Receive.
    virtual void Connect(const Ipv4Endpoint& peer) = 0;
    // Throws away datagrams and pending errors that are already waiting, without waiting for more.
    virtual void DiscardPending() = 0;
    virtual void Send(const std::string& datagram) = 0;
    // The next datagram, cut to maxBytes, or nothing when none arrives within timeout. While waiting the
    // implementation keeps the program's user interface alive.
    virtual std::optional<std::string> Receive(std::size_t maxBytes, std::chrono::milliseconds timeout) = 0;
};

}  // namespace quillcrest
