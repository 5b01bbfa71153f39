#pragma once

#include <string>

#include "settings/registry_api.h"

namespace quillcrest {

// The watch's registry records of each network interface, named by its identifier (the adapter's SettingID):
// the program's per-user key under HKEY_CURRENT_USER and the value it adds to the operating system's own TCP/IP
// key of the interface under HKEY_LOCAL_MACHINE. Registry failures are silent: a read that cannot deliver
// gives its default, a write that cannot be done leaves the value as it was.
//
// With an empty identifier (no preferred adapter) both key paths name the bare prefix key itself, so every
// record of "no adapter" is read and written in that one key.
class InterfaceRecords {
  public:
    static constexpr char kUserKeyPrefix[] = "SOFTWARE\\Brenholt\\Quillcrest\\Interfaces\\";
    static constexpr char kSystemKeyPrefix[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";

    static constexpr char kStartupNameServers[] = "Startup NameServers";
    static constexpr char kLastNameServers[] = "Last NameServers";
    static constexpr char kDefaultNameServers[] = "Default NameServers";
    static constexpr char kOrigNameServers[] = "Orig NameServers";
    static constexpr char kDhcpEnabled[] = "DHCPEnabled";
    static constexpr char kOrigDns[] = "OrigDNS";

    explicit InterfaceRecords(RegistryApi& registry) : registry_(registry) {}

    static std::string UserKeyPath(const std::string& interfaceId);
    static std::string SystemKeyPath(const std::string& interfaceId);

    // A string value of the user key; "" when absent.
    std::string ReadUserText(const std::string& interfaceId, const std::string& valueName);
    void WriteUserText(const std::string& interfaceId, const std::string& valueName, const std::string& text);

    // "DHCPEnabled" of the user key; true when absent, because an interface never captured is left to DHCP.
    bool ReadDhcpEnabled(const std::string& interfaceId);
    void WriteDhcpEnabled(const std::string& interfaceId, bool enabled);

    // "OrigDNS" of the system key; "" when absent.
    std::string ReadOrigDns(const std::string& interfaceId);
    void WriteOrigDns(const std::string& interfaceId, const std::string& text);

  private:
    RegistryApi& registry_;
};

}  // namespace quillcrest
