#include "watch/watch_network_win.h"

#include "netconfig/adapter_dns_win.h"
#include "netconfig/dns_cache_flush_win.h"
#include "netconfig/dns_server_list_win.h"
#include "netconfig/tcpip_interfaces_win.h"

namespace quillcrest {

std::optional<std::string> SystemWatchNetwork::CurrentDnsList() {
    return ReadDNSServerList();
}

DnsChangeOutcome SystemWatchNetwork::ChangeAdaptersDns(const std::vector<DnsAssignment>& assignments) {
    return ChangeEach(assignments, [](const DnsAssignment& assignment) {
        return quillcrest::SetAdaptorDNS(assignment.settingId, assignment.servers);
    });
}

void SystemWatchNetwork::FlushDNSCache() {
    quillcrest::FlushDNSCache();
}

std::vector<std::string> SystemWatchNetwork::GetTcpipInterfaces() {
    std::vector<std::string> identifiers;
    quillcrest::GetTcpipInterfaces(identifiers);
    return identifiers;
}

}  // namespace quillcrest
