#pragma once

// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
// clang-format on

#include <string>
#include <vector>

namespace quillcrest {

// The address texts of an IP_ADDR_STRING chain: the embedded first entry, then each entry reached through
// Next. Each text runs up to its terminating zero, at most the field's 16 characters.
std::vector<std::string> IpAddressTexts(const IP_ADDR_STRING& first);

// The mask texts of the same chain, position for position.
std::vector<std::string> IpMaskTexts(const IP_ADDR_STRING& first);

}  // namespace quillcrest
