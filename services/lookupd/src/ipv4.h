#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillcrest::lookupd {

// The longest dotted IPv4 text, "255.255.255.255".
constexpr std::size_t kLongestDottedAddress = 15;

// Strict dotted-decimal IPv4: four decimal parts of 0 to 255, no signs, blanks or leading zeros (a leading zero
// reads as octal to some resolvers). The address in host byte order.
std::optional<std::uint32_t> ParseDottedAddress(std::string_view text);

std::string FormatDottedAddress(std::uint32_t address);

// A block of addresses written as "a.b.c.d/n".
struct AddressBlock {
    std::uint32_t first = 0;
    int prefixLength = 0;

    bool Contains(std::uint32_t address) const;
};

// Also requires the host part to be zero, so a typing error in a list does not silently widen a block.
std::optional<AddressBlock> ParseAddressBlock(std::string_view text);

// Addresses that never belong to a server on the public Internet: this network, private, shared, loopback,
// link-local, multicast and reserved blocks.
bool IsNonPublicAddress(std::uint32_t address);

}  // namespace quillcrest::lookupd
