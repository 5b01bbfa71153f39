#include "watch/adapter_actions.h"

#include <string>
#include <vector>

#include "netconfig/wmi_query_close_guard.h"
#include "settings/list_text.h"
#include "watch/open_dns.h"

namespace quillcrest {
namespace {

constexpr char kIpEnabledAdaptersQuery[] = "Select * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled=TRUE";

// The identifiers of the IP-enabled adapters, read to the end before any of them is changed; the query is
// closed on every path.
std::vector<std::string> IpEnabledAdapters(WmiQuery& query) {
    WmiQueryCloseGuard closeGuard(query);
    query.setWql(kIpEnabledAdaptersQuery);
    query.open();
    query.first();
    std::vector<std::string> ids;
    while (!query.eof()) {
        ids.push_back(query.fieldByName("SettingID").asText());
        query.next();
    }
    return ids;
}

// An action that has nothing to assign asks the network nothing, so it asks for no rights either.
DnsChangeOutcome ChangeAndFlush(WatchNetwork& network, const std::vector<DnsAssignment>& assignments) {
    DnsChangeOutcome outcome;
    if (!assignments.empty())
        outcome = network.ChangeAdaptersDns(assignments);
    network.FlushDNSCache();
    return outcome;
}

}  // namespace

DnsChangeOutcome RestoreRecordedServers(WatchNetwork& network, InterfaceRecords& records) {
    std::vector<DnsAssignment> assignments;
    for (const std::string& id : network.GetTcpipInterfaces()) {
        const std::string recorded = records.ReadOrigDns(id);
        if (recorded.empty()) {
            assignments.push_back({id, {}});
            continue;
        }
        std::vector<std::string> servers = SplitList(recorded);
        if (!servers.empty() && servers.size() <= kMostServersPerAdapter)
            assignments.push_back({id, std::move(servers)});
    }
    return ChangeAndFlush(network, assignments);
}

DnsChangeOutcome SwitchToOpenDns(WmiQuery& query, WatchNetwork& network) {
    std::vector<DnsAssignment> assignments;
    for (const std::string& id : IpEnabledAdapters(query))
        assignments.push_back({id, {kOpenDnsPrimary, kOpenDnsSecondary}});
    return ChangeAndFlush(network, assignments);
}

DnsChangeOutcome ResetDhcpAdapters(WmiQuery& query, WatchNetwork& network, InterfaceRecords& records) {
    std::vector<DnsAssignment> assignments;
    for (const std::string& id : IpEnabledAdapters(query)) {
        if (records.ReadDhcpEnabled(id))
            assignments.push_back({id, {}});
    }
    return ChangeAndFlush(network, assignments);
}

}  // namespace quillcrest
