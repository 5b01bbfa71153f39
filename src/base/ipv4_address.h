#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quillcrest {

// An IPv4 address as its four octets in network order (the first octet is the one written first).
struct Ipv4Address {
    std::array<std::uint8_t, 4> octets{};

    bool operator==(const Ipv4Address& other) const { return octets == other.octets; }
};

// Reads the dotted-decimal form: exactly four decimal numbers from 0 to 255, each of one to three digits,
// separated by single dots ("010.000.000.001" too). Any other text (a host name, "127.1", hexadecimal parts) is
// std::nullopt.
std::optional<Ipv4Address> ParseDottedIpv4(std::string_view text);

// True for an address in its one dotted-decimal spelling: the form above without leading zeros ("0" itself
// excepted), so that one address is never written two ways where a text is compared or trusted as it stands.
bool IsCanonicalDottedIpv4(std::string_view text);

}  // namespace quillcrest
