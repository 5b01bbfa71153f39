#pragma once

#include <iphlpapi.h>
#include <windows.h>
#include <winsock2.h>

#include <functional>
#include <string>

namespace quillcrest {

// Same shape as IP Helper's GetNetworkParams, so tests can stand in for the platform.
using GetNetworkParamsFunction = std::function<DWORD(FIXED_INFO* info, ULONG* size)>;

// The machine's DNS servers as one list text, "a,b,c", primary first; "" when there are none or the
// platform call fails. Never raises.
std::string GetDNSServerList();
std::string GetDNSServerList(const GetNetworkParamsFunction& getNetworkParams);

}  // namespace quillcrest
