#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillcrest {

// The machine's network configuration as the DNS watch reads and changes it. The main window implements it on
// IP Helper, WMI, the registry and the shell; tests implement it in memory.
class WatchNetwork {
  public:
    virtual ~WatchNetwork() = default;

    // The machine's DNS server list ("a,b,c", primary first). "" when the machine has no DNS server; nullopt
    // when the platform could not be asked, which is no list at all and must never be taken for an empty one.
    virtual std::optional<std::string> CurrentDnsList() = 0;
    // Gives the adapter with this identifier the servers in order, or with none hands it back to DHCP. Raises
    // when the configuration cannot be reached; a refusal by the adapter itself is not reported.
    virtual void SetAdaptorDNS(const std::string& settingId, const std::vector<std::string>& servers) = 0;
    // Empties the resolver cache; never raises.
    virtual void FlushDNSCache() = 0;
    // The identifiers of every interface the TCP/IP configuration knows, in the order the registry lists them;
    // empty when they cannot be read. Never raises.
    virtual std::vector<std::string> GetTcpipInterfaces() = 0;
};

}  // namespace quillcrest
