#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "resolution/undo_outcome.h"

namespace quillcrest {

// An adapter's DNS settings through IP Helper's SetInterfaceDnsSettings, which Windows has from Windows 10 version
// 2004 (build 19041) on. mingw-w64 declares neither the function nor its structure, so both are declared here
// from the platform's documentation of netioapi.h ("DNS_INTERFACE_SETTINGS structure", "SetInterfaceDnsSettings
// function"):
//   typedef struct _DNS_INTERFACE_SETTINGS {
//     ULONG Version; ULONG64 Flags; PWSTR Domain; PWSTR NameServer; PWSTR SearchList; ULONG RegistrationEnabled;
//     ULONG RegisterAdapterName; ULONG EnableLLMNR; ULONG QueryAdapterName; PWSTR ProfileNameServer;
//   } DNS_INTERFACE_SETTINGS;
//   NETIOAPI_API SetInterfaceDnsSettings(GUID Interface, const DNS_INTERFACE_SETTINGS* Settings);
// NETIOAPI_API is a DWORD result with the WINAPI convention outside the kernel: NO_ERROR on success.
// What the program relies on: Version (DNS_INTERFACE_SETTINGS_VERSION1), Flags (DNS_SETTING_IPV6, so the
// servers are the IPv6 stack's, and DNS_SETTING_NAMESERVER, so NameServer is set) and NameServer (the servers as
// one text, separated by commas; the empty text puts the adapter back on automatic servers). Every other member
// stays zero, as the function's documentation asks for members whose option is not set.
struct DnsInterfaceSettingsVersion1 {
    ULONG Version;
    ULONG64 Flags;
    PWSTR Domain;
    PWSTR NameServer;
    PWSTR SearchList;
    ULONG RegistrationEnabled;
    ULONG RegisterAdapterName;
    ULONG EnableLLMNR;
    ULONG QueryAdapterName;
    PWSTR ProfileNameServer;
};

constexpr ULONG kDnsInterfaceSettingsVersion1 = 1;  // DNS_INTERFACE_SETTINGS_VERSION1
constexpr ULONG64 kDnsSettingIpv6 = 0x0001;         // DNS_SETTING_IPV6
constexpr ULONG64 kDnsSettingNameServer = 0x0002;   // DNS_SETTING_NAMESERVER

using SetInterfaceDnsSettingsFunction = DWORD(WINAPI*)(GUID, const DnsInterfaceSettingsVersion1*);

// The function of this Windows, looked up at run time in iphlpapi.dll from the system folder only; null where
// this Windows has none (before Windows 10 version 2004, and under Wine, which has not even a stub). The DLL stays
// loaded: the program loads it anyway.
SetInterfaceDnsSettingsFunction FindSetInterfaceDnsSettings();

// Sets the static IPv6 DNS servers of the adapter named by adapterId (its GUID in braces) through function; no
// servers puts it back on automatic servers. FunctionMissing when function is null.
UndoItemOutcome SetInterfaceIpv6DnsServers(SetInterfaceDnsSettingsFunction function,
                                           const std::string& adapterId,
                                           const std::vector<std::string>& servers);

}  // namespace quillcrest
