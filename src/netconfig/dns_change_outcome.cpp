#include "netconfig/dns_change_outcome.h"

#include <algorithm>
#include <utility>

#include "netconfig/adapter_method_return.h"

namespace quillcrest {
namespace {

// A connection name stands out from the sentence around it in quotes; an identifier has its braces.
std::string AdapterInSentence(const AdapterRefusal& refusal) {
    const std::string label = AdapterLabel(refusal.settingId, refusal.connectionName);
    return label == refusal.settingId ? label : "\"" + label + "\"";
}

}  // namespace

AdapterRefusal RefusalOfFailedCall(const std::string& settingId,
                                   std::uint32_t errorCode,
                                   const std::string& errorText) {
    const std::uint32_t code = RefusalCodeForCallError(errorCode);
    return {settingId, code, code == kAdapterMethodMissing ? AdapterMethodReturnText(code) : errorText};
}

void NameRefusedAdapters(DnsChangeOutcome& outcome, const ConnectionNames& names) {
    for (AdapterRefusal& refusal : outcome.refusals)
        refusal.connectionName = names.NameOf(refusal.settingId);
}

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
        return "The DNS servers of the adapter " + AdapterInSentence(refusals[0]) +
               " were not changed: " + refusals[0].reason;
    }
    // Adapters refused for one reason share its line, in the order they were refused, so that a reason that holds
    // for every adapter is read once.
    std::vector<std::pair<std::string, std::string>> lines;  // reason, adapters
    for (const AdapterRefusal& refusal : refusals) {
        const std::string label = AdapterLabel(refusal.settingId, refusal.connectionName);
        auto line = std::find_if(lines.begin(), lines.end(), [&](const auto& l) { return l.first == refusal.reason; });
        if (line == lines.end())
            lines.emplace_back(refusal.reason, label);
        else
            line->second += ", " + label;
    }
    std::string text = "The DNS servers of these adapters were not changed:";
    for (const auto& [reason, adapters] : lines)
        text += "\n" + adapters + ": " + reason;
    return text;
}

}  // namespace quillcrest
