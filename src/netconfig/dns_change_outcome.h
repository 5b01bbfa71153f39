#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/exception.h"

namespace quillcrest {

// One adapter's new DNS servers, primary first; none hands the adapter back to DHCP.
struct DnsAssignment {
    std::string settingId;
    std::vector<std::string> servers;

    bool operator==(const DnsAssignment& other) const {
        return settingId == other.settingId && servers == other.servers;
    }
};

// An adapter that kept its servers, and why.
struct AdapterRefusal {
    std::string settingId;
    // The method's return value, or kAdapterMethodCallFailed when the call itself raised an error.
    std::uint32_t returnCode = 0;
    std::string reason;
};

// What became of a set of assignments. An assignment that matched no adapter is neither a change nor a refusal.
struct DnsChangeOutcome {
    std::vector<AdapterRefusal> refusals;
    // An adapter took its servers but says Windows must restart before they are used.
    bool restartNeeded = false;

    bool Refused() const { return !refusals.empty(); }
    void Add(const DnsChangeOutcome& other);
};

// Makes each assignment in order with changeOne and gathers the outcomes. An error changeOne raises (the
// configuration cannot be reached at all) ends the walk there and passes to the caller.
DnsChangeOutcome ChangeEach(const std::vector<DnsAssignment>& assignments,
                            const std::function<DnsChangeOutcome(const DnsAssignment&)>& changeOne);

// Raised when some adapters refused their new servers; the message names each of them and its reason.
class EDnsChangeRefused : public Exception {
  public:
    explicit EDnsChangeRefused(const DnsChangeOutcome& outcome);
};

// The text of the report of refused changes, one line per adapter.
std::string DnsRefusalText(const std::vector<AdapterRefusal>& refusals);

}  // namespace quillcrest
