#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillcrest::lookupd {

// Reverse name resolution: the host name registered for an address.
class HostNameResolver {
  public:
    virtual ~HostNameResolver() = default;
    // Nothing when the address has no name (or the name could not be had in time). May be called from several
    // threads at once.
    virtual std::optional<std::string> NameOf(std::uint32_t address) = 0;
};

}  // namespace quillcrest::lookupd
