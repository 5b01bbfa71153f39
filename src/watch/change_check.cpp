#include "watch/change_check.h"

#include <vector>

#include "base/ascii_case.h"
#include "netconfig/dns_change_outcome.h"
#include "settings/list_text.h"
#include "watch/dns_change_report.h"

namespace quillcrest {

ChangeCheck::ChangeCheck(ReferenceLists& references,
                         AllowedList& allowedList,
                         DnsSelection& selection,
                         WatchNetwork& network,
                         InterfaceRecords& records,
                         WatchDialogs& dialogs,
                         WatchWindow& window,
                         CheckTimer& recentCheckTimer,
                         CheckTurn& turn)
    : references_(references),
      allowedList_(allowedList),
      selection_(selection),
      network_(network),
      records_(records),
      dialogs_(dialogs),
      window_(window),
      recentCheckTimer_(recentCheckTimer),
      turn_(turn) {}

void ChangeCheck::OnRecentCheckTick() {
    Check(references_.recentDnsList, kRecentQuestion);
}

void ChangeCheck::OnDefaultCheckTick() {
    if (window_.MonitorSwitchOn() && !recentCheckTimer_.Enabled())
        Check(references_.defaultDnsList, kDefaultQuestion);
    SetRecentCheckRunning(window_.MonitorSwitchOn());
}

void ChangeCheck::OnMonitorBoxReleased() {
    SetRecentCheckRunning(window_.MonitorSwitchOn());
}

void ChangeCheck::CheckAsTheNextTickWould() {
    if (!window_.MonitorSwitchOn())
        return;
    if (recentCheckTimer_.Enabled())
        Check(references_.recentDnsList, kRecentQuestion);
    else
        Check(references_.defaultDnsList, kDefaultQuestion);
}

void ChangeCheck::Check(std::optional<std::string>& reference, const char* question) {
    if (!turn_.Free())
        return;
    const CheckTurn::UserWait waiting(turn_);

    // A list that could not be read says nothing about a change.
    const std::optional<std::string> current = network_.CurrentDnsList();
    if (!current)
        return;
    if (!reference) {
        reference = current;
        return;
    }
    if (EqualIgnoringAsciiCase(*current, *reference) || allowedList_.Contains(*current))
        return;

    // The reference may be renewed while the dialogs wait; the decision is about the one the user was shown.
    const std::string shownReference = *reference;
    if (dialogs_.ShowAlert() == kDialogResultOk) {
        allowedList_.AddDNSToGoodList(*current);
        return;
    }
    const std::optional<DnsAssignment> revert = RevertAssignment(shownReference);
    // The change's own confirmation names the adapter and its servers; a revert that changes nothing has only
    // the question.
    const bool askedOnTheWay = revert && network_.AsksBeforeChanging({*revert});
    if (askedOnTheWay || dialogs_.Confirm(question))
        RevertPreferredAdapter(revert);
}

std::optional<DnsAssignment> ChangeCheck::RevertAssignment(const std::string& reference) {
    const std::string& adapter = references_.adapterGuid;
    if (records_.ReadDhcpEnabled(adapter))
        return DnsAssignment{adapter, {}};
    const std::vector<std::string> servers = SplitList(reference);
    if (!servers.empty() && servers.size() <= kMostServersPerAdapter)
        return DnsAssignment{adapter, servers};
    return std::nullopt;
}

void ChangeCheck::RevertPreferredAdapter(const std::optional<DnsAssignment>& revert) {
    // A refused revert raises, as an error does: the user hears of it, the reference stays, and the next check
    // alerts again as after "No".
    if (revert)
        SettleDnsChange(network_.ChangeAdaptersDns({*revert}), dialogs_);
    // Back on DHCP the adapter takes no recorded servers, so the selection stays as it is.
    if (!revert || !revert->servers.empty())
        selection_.ChooseItem(kSelectionDefault);
}

void ChangeCheck::SetRecentCheckRunning(bool running) {
    // Switching on a running timer would restart its interval.
    if (recentCheckTimer_.Enabled() != running)
        recentCheckTimer_.SetEnabled(running);
}

}  // namespace quillcrest
