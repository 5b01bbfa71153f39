#include "watch/dns_watch.h"

#include <exception>
#include <utility>

#include "watch/adapter_actions.h"
#include "watch/dns_change_report.h"
#include "watch/watch_startup.h"

namespace quillcrest {

DnsWatch::DnsWatch(const Platform& platform, const std::string& exeFolder, TextEquality allowedListEquality)
    : platform_(platform),
      records_(platform.registry),
      allowedList_(platform.files, exeFolder, std::move(allowedListEquality), &platform.allowedListSaveRoute),
      selection_(platform.window),
      changeCheck_(references_,
                   allowedList_,
                   selection_,
                   platform.network,
                   records_,
                   platform.dialogs,
                   platform.window,
                   platform.recentCheckTimer,
                   turn_),
      resolutionCheck_(
          {platform.resolution, platform.hostsFolderWatch, platform.resolutionAlert, platform.dnsBaselineSaveRoute,
           platform.dnsUndoRoute, platform.files, platform.dialogs, platform.window},
          turn_,
          exeFolder),
      earlyCheck_([this] { CheckAsTheNextTickWould(); },
                  platform.window,
                  platform.changeNotification,
                  platform.settleTimer,
                  platform.clock) {}

void DnsWatch::Start() {
    references_ = StartWatch(platform_.query, platform_.network, records_, platform_.dialogs);
    selection_.Start(references_.recentDnsList.value_or(""));
    try {
        allowedList_.Load();
    } catch (const std::exception& error) {
        // The watch runs on with an empty list; the unread entries are read again before the next save.
        platform_.dialogs.ShowError(error.what());
    }
    resolutionCheck_.Start();
    FollowMonitorSwitch();
}

// The wider check goes first wherever both run: it never raises, so a failed revert of the other cannot skip it.
void DnsWatch::OnRecentCheckTick() {
    resolutionCheck_.Check();
    changeCheck_.OnRecentCheckTick();
}

void DnsWatch::OnDefaultCheckTick() {
    // The wider check's first check is the DNS server list's: the 120-second tick before the 30-second timer runs.
    if (platform_.window.MonitorSwitchOn() && !platform_.recentCheckTimer.Enabled())
        resolutionCheck_.Check();
    changeCheck_.OnDefaultCheckTick();
    FollowMonitorSwitch();
}

void DnsWatch::OnMonitorBoxReleased() {
    changeCheck_.OnMonitorBoxReleased();
    FollowMonitorSwitch();
}

void DnsWatch::FollowMonitorSwitch() {
    earlyCheck_.FollowMonitorSwitch();
    resolutionCheck_.FollowMonitorSwitch();
}

void DnsWatch::CheckAsTheNextTickWould() {
    resolutionCheck_.Check();
    changeCheck_.CheckAsTheNextTickWould();
}

void DnsWatch::OnApplyClicked() {
    const CheckTurn::OwnChange ownChange(turn_);
    const std::optional<int> item = selection_.item();
    // A refusal ends Apply here, as an error does: the selection stays pending and "Apply" shown.
    if (item == kSelectionDefault)
        SettleDnsChange(RestoreRecordedServers(platform_.network, records_), platform_.dialogs);
    else if (item == kSelectionOpenDns)
        SettleDnsChange(SwitchToOpenDns(platform_.query, platform_.network), platform_.dialogs);
    // Read right after the change, so the 30-second check compares with the new settings. When it cannot be
    // read, the next list the check reads becomes the reference; keeping the old one would raise an alert
    // against the user's own change, whose "Fix It" would undo it.
    references_.recentDnsList = platform_.network.CurrentDnsList();
    selection_.MarkApplied();
}

void DnsWatch::OnCheckButtonReleased(bool ctrlHeld) {
    if (ctrlHeld) {
        const CheckTurn::OwnChange ownChange(turn_);
        SettleDnsChange(ResetDhcpAdapters(platform_.query, platform_.network, records_), platform_.dialogs);
        return;
    }
    const LookupWindowResult lookup = platform_.dialogs.ShowLookupWindow(defaultDnsList());
    if (lookup.result == kDialogResultOk)
        records_.WriteUserText(references_.adapterGuid, InterfaceRecords::kDefaultNameServers, lookup.reportedServers);
}

bool DnsWatch::OnCloseQuery() {
    if (!selection_.pending())
        return true;
    if (platform_.dialogs.ShowExitDialog() != kDialogResultOk)
        return false;
    try {
        const CheckTurn::OwnChange ownChange(turn_);
        SettleDnsChange(RestoreRecordedServers(platform_.network, records_), platform_.dialogs);
    } catch (const std::exception& error) {
        platform_.dialogs.ShowError(error.what());
        return false;
    }
    return true;
}

void DnsWatch::OnExitCommand() {
    const std::optional<std::string> current = platform_.network.CurrentDnsList();
    if (current)
        records_.WriteUserText(references_.adapterGuid, InterfaceRecords::kLastNameServers, *current);
}

}  // namespace quillcrest
