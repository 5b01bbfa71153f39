#include "elevation/elevating_watch_network.h"

#include <algorithm>
#include <iterator>

#include "elevation/privileged_action.h"

namespace quillcrest {
namespace {

// Only braced identifiers name adapters (SettingID always has that form); anything else would match none in
// process either, and the elevated run accepts nothing else.
bool GoesToTheElevatedRun(const DnsAssignment& assignment) {
    return IsBracedGuid(assignment.settingId) && assignment.servers.size() <= kMostServersPerAdapter;
}

}  // namespace

DnsChangeOutcome ElevatingWatchNetwork::ChangeAdaptersDns(const std::vector<DnsAssignment>& assignments) {
    DnsChangeOutcome outcome = Change(assignments);
    // The names are read only for a report, and only once the change is over.
    if (outcome.Refused())
        NameRefusedAdapters(outcome, ConnectionNamesOrNone(connectionNames_));
    return outcome;
}

bool ElevatingWatchNetwork::AsksBeforeChanging(const std::vector<DnsAssignment>& assignments) {
    return !elevated_.InProcess() && !assignments.empty() &&
           std::all_of(assignments.begin(), assignments.end(), GoesToTheElevatedRun);
}

DnsChangeOutcome ElevatingWatchNetwork::Change(const std::vector<DnsAssignment>& assignments) {
    if (elevated_.InProcess())
        return inProcess_.ChangeAdaptersDns(assignments);

    std::vector<DnsAssignment> named;
    std::copy_if(assignments.begin(), assignments.end(), std::back_inserter(named), GoesToTheElevatedRun);
    DnsChangeOutcome outcome;
    // A run carries at most kMostActionAssignments adapters; only a machine with more needs a second prompt.
    for (std::size_t first = 0; first < named.size(); first += kMostActionAssignments) {
        const std::size_t end = std::min(named.size(), first + kMostActionAssignments);
        outcome.Add(
            elevated_.Run({PrivilegedActionKind::kSetDnsServers, {named.begin() + first, named.begin() + end}, {}}));
    }
    return outcome;
}

}  // namespace quillcrest
