#include "lookup/ip_config_platform_win.h"

#include "base/win_handles_win.h"

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
    UniqueLocal text;
    // With FORMAT_MESSAGE_ALLOCATE_BUFFER the buffer argument is really the address of the pointer to fill.
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<LPSTR>(text.put()), 0, nullptr);
    if (length == 0 || !text)
        return std::string();
    std::string message(static_cast<const char*>(text.get()), length);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n'))
        message.pop_back();
    return message;
}

IpHelperApi& SystemIpHelper() {
    static SystemIpHelperApi instance;
    return instance;
}

}  // namespace quillcrest
