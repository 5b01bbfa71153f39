#include "netconfig/dns_settings_keys_win.h"

#include <string>

#include "netconfig/tcpip_interfaces_win.h"

namespace quillcrest {
namespace {

constexpr char kTcpipParametersKey[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr char kTcpip6ParametersKey[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip6\\Parameters";

}  // namespace

std::vector<WatchedRegistryKey> DnsSettingsKeys() {
    return {
        {HKEY_LOCAL_MACHINE, {kTcpipInterfacesKey, kTcpipParametersKey}},
        {HKEY_LOCAL_MACHINE, {std::string(kTcpip6ParametersKey) + "\\Interfaces", kTcpip6ParametersKey}},
    };
}

}  // namespace quillcrest
