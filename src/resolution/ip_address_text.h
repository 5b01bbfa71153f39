#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillcrest {

// An IPv4 address in the strict form that ParseDottedIpv4 reads: four decimal parts of one to three digits, each
// at most 255, joined by points ("127.0.0.1", also "010.000.000.001"). The short and octal or hexadecimal forms of
// the classic converter ("127.1", "0x7f.0.0.1") are not taken.
bool IsStrictIpv4Address(std::string_view text);

// An IPv6 address in its text forms: eight groups of one to four hexadecimal digits, one "::" standing for one
// or more groups of zeros, the last 32 bits optionally as a strict IPv4 address, and optionally "%" and a
// decimal zone number of at most ten digits ("fe80::1%12"). No brackets, no port.
bool IsIpv6Address(std::string_view text);

// The dotted-decimal text of four bytes in network order.
std::string Ipv4Text(const std::uint8_t (&bytes)[4]);

// The text of sixteen bytes in network order in the recommended form: lower-case digits without leading zeros,
// the longest run of two or more zero groups (the first of equal runs) written "::".
std::string Ipv6Text(const std::uint8_t (&bytes)[16]);

}  // namespace quillcrest
