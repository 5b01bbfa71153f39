#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillcrest::lookupd {

struct ServiceOptions {
    std::string address = "127.0.0.1";
    std::uint16_t port = 6066;
    std::string rogueList;  // empty: no rogue servers known
    std::string countryDatabase = "/usr/share/GeoIP/GeoIP.dat";
    std::size_t replyBytesPerSecond = 1000000;  // all replies of this process together, headers included
};

// Reads "--address A --port P --rogue-list FILE --country-database FILE --reply-budget BYTES_PER_SECOND" (any
// order, each optional). Throws
// std::invalid_argument with a usage message for anything else.
ServiceOptions ParseServiceOptions(const std::vector<std::string>& arguments);

}  // namespace quillcrest::lookupd
