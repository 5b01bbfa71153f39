#pragma once

#include <cstdint>
#include <vector>

#include "resolution/adapter_dns_source.h"

namespace quillcrest {

// AdapterDnsSource on GetAdaptersAddresses (AF_UNSPEC): each adapter by its AdapterName and FriendlyName, with
// the IPv6 and IPv4 entries of its FirstDnsServerAddress chain in order. IPv6 servers are written without their
// zone: a zone is an interface number that may differ after a restart, which would look like a change. Keeps its
// buffer between calls; one object serves one thread.
class Win32AdapterDnsSource final : public AdapterDnsSource {
  public:
    AdapterSnapshot ReadAdapters() override;

  private:
    std::vector<std::uint64_t> buffer_;
};

}  // namespace quillcrest
