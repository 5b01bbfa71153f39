#pragma once

#include "host_name_resolver.h"

namespace quillcrest::lookupd {

// The system's reverse resolution (getnameinfo: hosts file, then DNS); blocks as long as the system takes.
class SystemHostNameResolver final : public HostNameResolver {
  public:
    std::optional<std::string> NameOf(std::uint32_t address) override;
};

}  // namespace quillcrest::lookupd
