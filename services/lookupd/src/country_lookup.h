#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillcrest::lookupd {

// The country an address is registered in.
class CountryLookup {
  public:
    virtual ~CountryLookup() = default;
    // Nothing when the database does not know the address. May be called from several threads at once.
    virtual std::optional<std::string> CountryOf(std::uint32_t address) = 0;
};

}  // namespace quillcrest::lookupd
