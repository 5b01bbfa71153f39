#include "netconfig/dns_change_outcome.h"

namespace quillcrest {

void DnsChangeOutcome::Add(const DnsChangeOutcome& other) {
    refusals.insert(refusals.end(), other.refusals.begin(), other.refusals.end());
    restartNeeded = restartNeeded || other.restartNeeded;
}

DnsChangeOutcome ChangeEach(const std::vector<DnsAssignment>& assignments,
                            const std::function<DnsChangeOutcome(const DnsAssignment&)>& changeOne) {
    DnsChangeOutcome outcome;
    for (const DnsAssignment& assignment : assignments)
        outcome.Add(changeOne(assignment));
    return outcome;
}

EDnsChangeRefused::EDnsChangeRefused(const DnsChangeOutcome& outcome) : Exception(DnsRefusalText(outcome.refusals)) {}

std::string DnsRefusalText(const std::vector<AdapterRefusal>& refusals) {
    if (refusals.size() == 1) {
        return "The DNS servers of the adapter " + refusals[0].settingId + " were not changed: " + refusals[0].reason;
    }
    std::string text = "The DNS servers of these adapters were not changed:";
    for (const AdapterRefusal& refusal : refusals)
        text += "\n" + refusal.settingId + ": " + refusal.reason;
    return text;
}

}  // namespace quillcrest
