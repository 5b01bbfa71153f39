#pragma once

#include <cstdint>
#include <string>

#include "lookup/lookup_transport.h"

namespace quillcrest {

// Resolves the lookup host through getaddrinfo, IPv4 only; the first address wins. Needs a running
// WinsockSession.
class UdpHostResolver final : public HostResolver {
  public:
    std::uint32_t Resolve(const std::string& host) override;
};

}  // namespace quillcrest
