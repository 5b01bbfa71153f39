#include "app/elevating_watch_network.h"

#include <algorithm>

#include "app/privileged_action.h"

namespace quillcrest {

DnsChangeOutcome ElevatingWatchNetwork::ChangeAdaptersDns(const std::vector<DnsAssignment>& assignments) {
    if (elevated_.InProcess())
        return inProcess_.ChangeAdaptersDns(assignments);

    // Only braced identifiers name adapters (SettingID always has that form); anything else would match none in
    // process either, and the elevated run accepts nothing else.
    std::vector<DnsAssignment> named;
    for (const DnsAssignment& assignment : assignments) {
        if (IsBracedGuid(assignment.settingId) && assignment.servers.size() <= kMostActionServers)
            named.push_back(assignment);
    }
    DnsChangeOutcome outcome;
    // A run carries at most kMostActionAssignments adapters; only a machine with more needs a second prompt.
    for (std::size_t first = 0; first < named.size(); first += kMostActionAssignments) {
        const std::size_t end = std::min(named.size(), first + kMostActionAssignments);
        outcome.Add(
            elevated_.Run({PrivilegedActionKind::kSetDnsServers, {named.begin() + first, named.begin() + end}, ""}));
    }
    return outcome;
}

}  // namespace quillcrest
