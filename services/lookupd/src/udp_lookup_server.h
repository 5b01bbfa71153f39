#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "lookup_responder.h"
#include "rate_limiter.h"
#include "request_log.h"

namespace quillcrest::lookupd {

struct ServerLimits {
    std::size_t workers = 72;                   // requests answered at once (each may wait for a host name)
    std::size_t queuedRequests = 256;           // requests waiting for a worker; more are dropped
    std::size_t replyBytesPerSecond = 1000000;  // all replies together, IPv4 and UDP headers included
};

// The service's UDP socket and its loop: reads request datagrams, drops those that are no address, over their
// source's rate or over the service's reply budget, and hands the rest to worker threads that answer them, so a
// slow host name lookup never holds up the reading. Each reply leaves from the address its request was sent to,
// so clients that accept replies only from the address they asked (connected sockets) get them on a host with
// several addresses. Several processes may bind the same address and port (SO_REUSEPORT); the kernel spreads
// the sources over them.
class UdpLookupServer {
  public:
    // Binds the socket; throws std::runtime_error when it cannot. `responder` and `log` must outlive the server.
    UdpLookupServer(const std::string& address,
                    std::uint16_t port,
                    LookupResponder& responder,
                    RequestLog& log,
                    RateLimits rateLimits = {},
                    ServerLimits limits = {});
    ~UdpLookupServer();

    UdpLookupServer(const UdpLookupServer&) = delete;
    UdpLookupServer& operator=(const UdpLookupServer&) = delete;

    // The port actually bound (useful with port 0).
    std::uint16_t port() const;

    // Serves until stopFd is readable, then calls onStop (the place to wake workers that wait for something, such
    // as DeadlineHostNameResolver::Stop), drops the requests still waiting and returns when the workers are done.
    // A datagram flood does not delay noticing the stop.
    void Run(int stopFd, const std::function<void()>& onStop = {});

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace quillcrest::lookupd
