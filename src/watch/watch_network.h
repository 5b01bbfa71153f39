#pragma once

#include <optional>
#include <string>
#include <vector>

#include "netconfig/dns_change_outcome.h"

namespace quillcrest {

// The machine's network configuration as the DNS watch reads and changes it. SystemWatchNetwork
// (watch/watch_network_win.h) implements it on IP Helper, WMI, the registry and the shell; ElevatingWatchNetwork
// (elevation/) sends its changes through the elevated run when the program lacks the rights; tests implement it in
// memory.
class WatchNetwork {
  public:
    virtual ~WatchNetwork() = default;

    // The machine's DNS server list ("a,b,c", primary first). "" when the machine has no DNS server; nullopt
    // when the platform could not be asked, which is no list at all and must never be taken for an empty one.
    virtual std::optional<std::string> CurrentDnsList() = 0;
    // Makes the assignments of one user action, in order: each adapter gets its servers, or with none goes back
    // to DHCP. All of them are asked in one go, so that an action that needs administrator rights asks for them
    // once. Adapters that refuse are named in the outcome and the others still change. Raises when the
    // configuration cannot be reached (the adapters before stay changed) or when the rights were not given.
    virtual DnsChangeOutcome ChangeAdaptersDns(const std::vector<DnsAssignment>& assignments) = 0;
    // True when ChangeAdaptersDns itself shows the user these assignments and asks before making them (a change
    // through the elevated run asks in that run's own window), so that a caller that would ask first need not ask
    // the user twice. A network that changes in this process asks nobody.
    virtual bool AsksBeforeChanging(const std::vector<DnsAssignment>& assignments) { return false; }
    // Empties the resolver cache; never raises.
    virtual void FlushDNSCache() = 0;
    // The identifiers of every interface the TCP/IP configuration knows, in the order the registry lists them;
    // empty when they cannot be read. Never raises.
    virtual std::vector<std::string> GetTcpipInterfaces() = 0;
};

}  // namespace quillcrest
