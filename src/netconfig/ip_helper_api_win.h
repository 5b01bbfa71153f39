#pragma once

// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
// clang-format on

#include <string>

namespace quillcrest {

// The platform facts the IP configuration snapshot reads. An interface so tests can hand the snapshot
// hand-built IP Helper buffers, failures and time zones that a real machine will not produce on demand.
class IpHelperApi {
  public:
    virtual ~IpHelperApi() = default;

    // Same contract as the IP Helper functions of the same names.
    virtual DWORD GetNetworkParams(FIXED_INFO* buffer, ULONG* size) = 0;
    virtual DWORD GetAdaptersInfo(IP_ADAPTER_INFO* buffer, ULONG* size) = 0;
    virtual DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* zone) = 0;

    // The system's text for an error code, without the line break the system ends it with; empty when the
    // system has no text for the code.
    virtual std::string SystemMessage(DWORD code) = 0;
};

// The real IP Helper, time-zone and system-message functions.
class SystemIpHelperApi : public IpHelperApi {
  public:
    DWORD GetNetworkParams(FIXED_INFO* buffer, ULONG* size) override;
    DWORD GetAdaptersInfo(IP_ADAPTER_INFO* buffer, ULONG* size) override;
    DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* zone) override;
    std::string SystemMessage(DWORD code) override;
};

// The process's one stateless instance of the real functions.
IpHelperApi& SystemIpHelper();

}  // namespace quillcrest
