#pragma once

#include <optional>
#include <string>

#include "base/monotonic_clock.h"
#include "base/text_equality.h"
#include "netconfig/wmi_query.h"
#include "settings/registry_api.h"
#include "watch/allowed_list.h"
#include "watch/allowed_list_save_route.h"
#include "watch/change_check.h"
#include "watch/check_timer.h"
#include "watch/check_turn.h"
#include "watch/dns_baseline_save_route.h"
#include "watch/dns_change_notification.h"
#include "watch/dns_selection.h"
#include "watch/dns_undo_route.h"
#include "watch/early_check.h"
#include "watch/file_system.h"
#include "watch/hosts_folder_watch.h"
#include "watch/interface_records.h"
#include "watch/reference_lists.h"
#include "watch/resolution_alert.h"
#include "watch/resolution_check.h"
#include "watch/resolution_source.h"
#include "watch/settle_timer.h"
#include "watch/watch_dialogs.h"
#include "watch/watch_network.h"
#include "watch/watch_window.h"

namespace quillcrest {

// Everything the main window needs to know of the DNS watch: the watch's state for the run and one method per
// window event. The watch holds two checks: the DNS server list's (ChangeCheck) and the wider one of the other
// settings that decide where names go (ResolutionCheck). Both follow the monitor switch and run at the same
// ticks and early checks, the wider one first; one alert at a time (CheckTurn). The window owns one DnsWatch, hands it
// what the watch reaches the platform through, and calls the methods from its handlers. Methods that can fail raise;
// the window shows the error in its general error report and goes on, as for any handler.
class DnsWatch {
  public:
    // Everything the watch reaches the platform through; all of it must outlive the watch.
    struct Platform {
        WmiQuery& query;
        RegistryApi& registry;
        WatchNetwork& network;
        FileSystem& files;
        WatchDialogs& dialogs;
        WatchWindow& window;
        CheckTimer& recentCheckTimer;
        DnsChangeNotification& changeNotification;
        SettleTimer& settleTimer;
        const MonotonicClock& clock;
        AllowedListSaveRoute& allowedListSaveRoute;
        ResolutionSource& resolution;
        HostsFolderWatch& hostsFolderWatch;
        ResolutionAlert& resolutionAlert;
        DnsBaselineSaveRoute& dnsBaselineSaveRoute;
        DnsUndoRoute& dnsUndoRoute;
    };

    // exeFolder is the executable's folder with its trailing separator; allowedListEquality compares allowed
    // entries with a list (by the user's locale on Windows).
    DnsWatch(const Platform& platform, const std::string& exeFolder, TextEquality allowedListEquality);

    // The window's creation, after the monitor check box has its state: the watch's start-up, then the
    // selection's, then the allowed list's load, then the wider check's baseline; then the change notifications
    // follow the switch. Never raises: a failure that leaves the watch working with less (no preferred adapter, an
    // unreadable allowed list, a baseline that could not be used or saved) is shown through
    // WatchDialogs::ShowError.
    void Start();

    // 30-second timer tick.
    void OnRecentCheckTick();
    // 120-second timer tick.
    void OnDefaultCheckTick();
    // Mouse release over the monitor check box, after the start-with-Windows entry is set. A change by keyboard
    // does not call it.
    void OnMonitorBoxReleased();
    // The change notification signalled, and the settle timer it started elapsed.
    void OnDnsSettingsSignalled() { earlyCheck_.OnChangeSignalled(); }
    void OnSettleTimerElapsed() { earlyCheck_.OnSettleTimerElapsed(); }

    // The user picked an item of the "DNS Selection" group (the one now chosen, or the one already chosen).
    void OnSelectionClicked(int item) { selection_.ChooseItem(item); }
    // "Apply": puts every adapter on the chosen servers, renews the recent reference, clears the pending state.
    // An error ends it where it happened: no flush, no renewal, still pending. Adapters that refused their
    // servers end it after the flush, with the same consequences, raising EDnsChangeRefused.
    void OnApplyClicked();
    // Mouse release of any button over "Check My Current DNS Settings". With Ctrl held: the adapters recorded on
    // DHCP are handed back to it. Otherwise the lookup window, whose "Save as Default" stores its servers as the
    // preferred adapter's "Default NameServers" for the next start.
    void OnCheckButtonReleased(bool ctrlHeld);
    // The window is asked to close; true allows it. With a pending selection the exit dialog asks, and "OK"
    // restores the recorded servers first; a failing or refused restore is shown and refuses the close.
    bool OnCloseQuery();
    // The main window was shown.
    void OnWindowShown() { selection_.MarkNotPending(); }
    // The Exit command, before the window posts its quit request: records the current list as the preferred
    // adapter's "Last NameServers"; when the list cannot be read nothing is written.
    void OnExitCommand();

    const ReferenceLists& references() const { return references_; }
    // The default list as the lookup window compares it; "" while unknown.
    std::string defaultDnsList() const { return references_.defaultDnsList.value_or(""); }
    const AllowedList& allowedList() const { return allowedList_; }
    const DnsBaseline& dnsBaseline() const { return resolutionCheck_.baseline(); }
    std::optional<int> selectionItem() const { return selection_.item(); }
    bool selectionPending() const { return selection_.pending(); }

  private:
    void FollowMonitorSwitch();
    // What the early check runs: the checks the next tick would run.
    void CheckAsTheNextTickWould();

    Platform platform_;
    InterfaceRecords records_;
    ReferenceLists references_;
    AllowedList allowedList_;
    DnsSelection selection_;
    CheckTurn turn_;
    ChangeCheck changeCheck_;
    ResolutionCheck resolutionCheck_;
    EarlyCheck earlyCheck_;
};

}  // namespace quillcrest
