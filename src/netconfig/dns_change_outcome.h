#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/exception.h"
#include "netconfig/connection_names.h"

namespace quillcrest {

// An adapter takes at most this many DNS servers: the most an assignment gives it, whether it comes from a recorded
// list, a reference list or the elevated run's command line.
constexpr std::size_t kMostServersPerAdapter = 3;

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
    AdapterRefusal() = default;
    AdapterRefusal(std::string settingId, std::uint32_t returnCode, std::string reason, std::string connectionName = "")
        : settingId(std::move(settingId)),
          returnCode(returnCode),
          reason(std::move(reason)),
          connectionName(std::move(connectionName)) {}

    std::string settingId;
    // The method's return value, or kAdapterMethodCallFailed when the call itself raised an error
    // (kAdapterMethodMissing when that error says the system has no such method).
    std::uint32_t returnCode = 0;
    std::string reason;
    // The name Windows shows for the adapter's connection; "" when it has none or was not looked up.
    std::string connectionName;
};

// The refusal of an adapter whose method call raised an error (errorCode an HRESULT, errorText its message): a
// method the system does not have is said in words, any other failure keeps its message.
AdapterRefusal RefusalOfFailedCall(const std::string& settingId, std::uint32_t errorCode, const std::string& errorText);

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

// Gives each refusal of the outcome its adapter's connection name.
void NameRefusedAdapters(DnsChangeOutcome& outcome, const ConnectionNames& names);

// Raised when some adapters refused their new servers; the message names each of them and its reason.
class EDnsChangeRefused : public Exception {
  public:
    explicit EDnsChangeRefused(const DnsChangeOutcome& outcome);
};

// The text of the report of refused changes, one line per adapter, each named by its connection name (by its
// identifier when it has none).
std::string DnsRefusalText(const std::vector<AdapterRefusal>& refusals);

}  // namespace quillcrest
