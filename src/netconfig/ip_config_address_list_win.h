#pragma once

// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
// clang-format on

#include <string>
#include <vector>

#include "netconfig/ip_helper_answer.h"

namespace quillcrest {

// The address texts of an IP_ADDR_STRING chain inside an IP Helper answer: the embedded first entry, then each
// entry reached through Next that lies inside the answer. Each text runs up to its terminating zero, at most the
// field's 16 characters.
std::vector<std::string> IpAddressTexts(const IpHelperAnswer& answer, const IP_ADDR_STRING& first);

// The mask texts of the same chain, position for position.
std::vector<std::string> IpMaskTexts(const IpHelperAnswer& answer, const IP_ADDR_STRING& first);

}  // namespace quillcrest
