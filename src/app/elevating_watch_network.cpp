#include "app/elevating_watch_network.h"

#include <algorithm>
#include <utility>

#include "app/action_exit_code.h"
#include "app/privileged_action.h"

namespace quillcrest {

ElevatingWatchNetwork::ElevatingWatchNetwork(WatchNetwork& inProcess,
                                             ProcessElevation& elevation,
                                             ActionLauncher& launcher,
                                             SystemMessageLookup systemMessage)
    : inProcess_(inProcess), elevation_(elevation), launcher_(launcher), systemMessage_(std::move(systemMessage)) {}

DnsChangeOutcome ElevatingWatchNetwork::ChangeAdaptersDns(const std::vector<DnsAssignment>& assignments) {
    if (elevation_.IsElevated())
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
        outcome.Add(ChangeElevated({named.begin() + first, named.begin() + end}));
    }
    return outcome;
}

DnsChangeOutcome ElevatingWatchNetwork::ChangeElevated(const std::vector<DnsAssignment>& assignments) {
    const PrivilegedAction action{PrivilegedActionKind::kSetDnsServers, assignments};
    const std::uint32_t exitCode = launcher_.RunElevated(FormatActionArguments(action));
    const ActionExit exit = ReadActionExit(exitCode, assignments);
    RaiseUnlessAnswered(exit, exitCode, systemMessage_);
    return exit.outcome;
}

}  // namespace quillcrest
