#include "resolution/interface_dns_settings_win.h"

#include <objbase.h>

#include <cstddef>
#include <optional>

#include "base/module_function_win.h"
#include "resolution/wide_text_win.h"

namespace quillcrest {
namespace {

// The layout of the documented structure on x64, where a ULONG64 and a pointer are aligned to 8 bytes.
static_assert(offsetof(DnsInterfaceSettingsVersion1, Flags) == 8);
static_assert(offsetof(DnsInterfaceSettingsVersion1, Domain) == 16);
static_assert(offsetof(DnsInterfaceSettingsVersion1, NameServer) == 24);
static_assert(offsetof(DnsInterfaceSettingsVersion1, SearchList) == 32);
static_assert(offsetof(DnsInterfaceSettingsVersion1, RegistrationEnabled) == 40);
static_assert(offsetof(DnsInterfaceSettingsVersion1, QueryAdapterName) == 52);
static_assert(offsetof(DnsInterfaceSettingsVersion1, ProfileNameServer) == 56);
static_assert(sizeof(DnsInterfaceSettingsVersion1) == 64);

}  // namespace

SetInterfaceDnsSettingsFunction FindSetInterfaceDnsSettings() {
    // Never a DLL of that name beside the program or in the working directory: this runs with administrator
    // rights. Windows that has the function also has LOAD_LIBRARY_SEARCH_SYSTEM32; one without it fails here,
    // and has no such function either.
    const HMODULE iphlpapi = ::LoadLibraryExW(L"iphlpapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return ModuleFunction<SetInterfaceDnsSettingsFunction>(iphlpapi, "SetInterfaceDnsSettings");
}

UndoItemOutcome SetInterfaceIpv6DnsServers(SetInterfaceDnsSettingsFunction function,
                                           const std::string& adapterId,
                                           const std::vector<std::string>& servers) {
    if (!function)
        return {UndoRefusal::FunctionMissing, 0};
    const std::optional<std::wstring> wideId = WideFromWtf8(adapterId);
    GUID adapter{};
    if (!wideId || FAILED(::IIDFromString(wideId->c_str(), &adapter)))
        return UndoOutcomeOfError(ERROR_INVALID_PARAMETER);
    std::string joined;
    for (const std::string& server : servers)
        joined += (joined.empty() ? "" : ",") + server;
    std::optional<std::wstring> nameServer = WideFromWtf8(joined);
    if (!nameServer)
        return UndoOutcomeOfError(ERROR_INVALID_PARAMETER);
    DnsInterfaceSettingsVersion1 settings{};
    settings.Version = kDnsInterfaceSettingsVersion1;
    settings.Flags = kDnsSettingIpv6 | kDnsSettingNameServer;
    settings.NameServer = nameServer->data();
    return UndoOutcomeOfError(function(adapter, &settings));
}

}  // namespace quillcrest
