#include "watch/adapter_actions.h"

#include <string>
#include <vector>

#include "netconfig/wmi_query_close_guard.h"
#include "settings/list_text.h"
#include "watch/open_dns.h"

namespace quillcrest {
namespace {

constexpr char kIpEnabledAdaptersQuery[] = "Select * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled=TRUE";
// An adapter takes at most this many servers from a recorded list.
constexpr std::size_t kMostRecordedServers = 3;

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

}  // namespace

void RestoreRecordedServers(WatchNetwork& network, InterfaceRecords& records) {
    for (const std::string& id : network.GetTcpipInterfaces()) {
        const std::string recorded = records.ReadOrigDns(id);
        if (recorded.empty()) {
            network.SetAdaptorDNS(id, {});
            continue;
        }
        const std::vector<std::string> servers = SplitList(recorded);
        if (!servers.empty() && servers.size() <= kMostRecordedServers)
            network.SetAdaptorDNS(id, servers);
    }
    network.FlushDNSCache();
}

void SwitchToOpenDns(WmiQuery& query, WatchNetwork& network) {
    for (const std::string& id : IpEnabledAdapters(query))
        network.SetAdaptorDNS(id, {kOpenDnsPrimary, kOpenDnsSecondary});
    network.FlushDNSCache();
}

void ResetDhcpAdapters(WmiQuery& query, WatchNetwork& network, InterfaceRecords& records) {
    for (const std::string& id : IpEnabledAdapters(query)) {
        if (records.ReadDhcpEnabled(id))
            network.SetAdaptorDNS(id, {});
    }
    network.FlushDNSCache();
}

}  // namespace quillcrest
