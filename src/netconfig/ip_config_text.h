#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillcrest {

// Bytes of hardware address an adapter record can hold. A platform that claims a longer address is clamped to
// this, so a bad length can never walk past the address array.
constexpr std::size_t kMaxAdapterAddressLength = 8;

// Highest NetBIOS node type that has a name; anything above it is a range error.
constexpr unsigned kMaxNodeType = 8;

// Name of a NetBIOS node type: 0 "UNKNOWN", 1 "Broadcast", 2 "Peer To Peer", 4 "Mixed", 8 "Hybrid", empty for
// 3, 5, 6 and 7. Raises Exception("Range check error") above kMaxNodeType.
std::string NodeTypeName(unsigned nodeType);

// Name of an adapter's interface type; every type without a name gives "UNKNOWN".
std::string AdapterTypeName(unsigned type);

// Hardware address as upper-case hexadecimal pairs joined by "-". A length of 0 reads as the all-zero
// six-byte address, because that is how an adapter without a hardware address is shown.
std::string MacAddressText(const std::uint8_t (&address)[kMaxAdapterAddressLength], std::size_t length);

// Drops leading and trailing blanks and control characters (every byte up to and including the blank);
// bytes of the upper half of the code page are text and stay.
std::string TrimText(const std::string& text);

// Text of a fixed-size character field: up to the first zero byte, never more than `capacity` bytes, since the
// platform does not promise a terminator when the text fills the field.
std::string FixedFieldText(const char* field, std::size_t capacity);

}  // namespace quillcrest
