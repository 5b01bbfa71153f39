#pragma once

#include <optional>
#include <string>

#include "netconfig/ip_helper_api_win.h"

namespace quillcrest {

// The machine's DNS servers as one list text, "a,b,c", primary first; "" when the machine has none. Empty when
// the platform call fails (nullopt), so a caller comparing lists can tell a failed read from "no server". Never
// raises.
std::optional<std::string> ReadDNSServerList(IpHelperApi& api);
std::optional<std::string> ReadDNSServerList();

// The text form for callers that treat a failed read like an empty list.
std::string GetDNSServerList();

}  // namespace quillcrest
