#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "lookup_responder.h"
#include "rate_limiter.h"
#include "request_log.h"

namespace quillcrest::lookupd {

struct ServerLimits {
    std::size_t workers = 4;           // requests answered at once (each may wait for a host name)
    std::size_t queuedRequests = 256;  // requests waiting for a worker; more are dropped
};

// The service's UDP socket and its loop: reads request datagrams, drops those that are no address or over their
// source's rate, and hands the rest to a few worker threads that answer them, so a slow host name lookup never
// holds up the reading. Stops when the stop descriptor becomes readable (a signalfd for SIGTERM in the program).
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

    // Serves until stopFd is readable; answers that are in progress are finished before it returns.
    void Run(int stopFd);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace quillcrest::lookupd
