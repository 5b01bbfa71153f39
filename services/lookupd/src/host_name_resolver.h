#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace quillcrest::lookupd {

// Reverse name resolution: the host name registered for an address.
class HostNameResolver {
  public:
    virtual ~HostNameResolver() = default;
    // Nothing when the address has no name (or the name could not be had in time). May be called from several
    // threads at once.
    virtual std::optional<std::string> NameOf(std::uint32_t address) = 0;
    // The same on behalf of the source of a request, so that a resolver with limited capacity can share it out
    // fairly between sources. Plain resolvers ignore the asker.
    virtual std::optional<std::string> NameOfFor(std::uint32_t address, std::uint32_t /*asker*/) {
        return NameOf(address);
    }
};

// Thrown to callers still waiting for a name when the service stops: their requests go unanswered rather than
// being answered without the name that was being looked up.
class ResolverStopped : public std::runtime_error {
  public:
    ResolverStopped() : std::runtime_error("the service is stopping") {}
};

}  // namespace quillcrest::lookupd
