#include "netconfig/ip_helper_api_win.h"

#include "base/system_message_win.h"

namespace quillcrest {

DWORD SystemIpHelperApi::GetNetworkParams(FIXED_INFO* buffer, ULONG* size) {
    return ::GetNetworkParams(buffer, size);
}

DWORD SystemIpHelperApi::GetAdaptersInfo(IP_ADAPTER_INFO* buffer, ULONG* size) {
    return ::GetAdaptersInfo(buffer, size);
}

DWORD SystemIpHelperApi::GetTimeZoneInformation(TIME_ZONE_INFORMATION* zone) {
    return ::GetTimeZoneInformation(zone);
}

std::string SystemIpHelperApi::SystemMessage(DWORD code) {
    return SystemMessageText(code);
}

IpHelperApi& SystemIpHelper() {
    static SystemIpHelperApi instance;
    return instance;
}

}  // namespace quillcrest
