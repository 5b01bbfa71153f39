#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "base/message_dispatching_wait_win.h"
#include "lookup/lookup_transport.h"
#include "lookup/udp_socket_win.h"

namespace quillcrest {

// The lookup client sets no time limit of its own on a name lookup: the system resolver's time-outs end it, as
// they always did. This only bounds the wait.
constexpr std::chrono::milliseconds kLookupHostResolveLimit = std::chrono::hours(1);

// Resolves the lookup host through getaddrinfo, IPv4 only; the first address wins. The lookup runs on a worker
// thread while the calling thread waits with `wait` (by default the lookup's own wait, which keeps windows
// painting and timers ticking and ends at a quit request). Needs a running WinsockSession.
class UdpHostResolver final : public HostResolver {
  public:
    explicit UdpHostResolver(EventWait wait = WaitForDatagramDispatchingMessages);

    std::uint32_t Resolve(const std::string& host) override;

  private:
    EventWait wait_;
};

}  // namespace quillcrest
