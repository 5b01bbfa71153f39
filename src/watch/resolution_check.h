#pragma once

#include <optional>
#include <string>
#include <vector>

#include "watch/check_turn.h"
#include "watch/dns_baseline.h"
#include "watch/dns_baseline_save_route.h"
#include "watch/dns_undo_route.h"
#include "watch/file_system.h"
#include "watch/hosts_folder_watch.h"
#include "watch/resolution_alert.h"
#include "watch/resolution_source.h"
#include "watch/watch_dialogs.h"
#include "watch/watch_window.h"

namespace quillcrest {

// The wider check: besides the machine's IPv4 DNS server list (ChangeCheck's business), every other way a PC is
// sent to another DNS server: the adapters' IPv6 servers, new adapters with servers of their own, name resolution
// rules, policy servers, encrypted-DNS settings and the hosts file (resolution/resolution_settings.h). It compares
// them with a baseline (DnsBaseline) and, when they differ, shows one alert that lists each difference: "Keep"
// makes the current settings the baseline; "Undo" has the baseline put back (DnsUndoRoute) and shows its outcome
// report, the baseline staying as it is; closing the alert changes nothing, so it comes back at the next check.
//
// It runs where ChangeCheck runs, while the monitor switch is on: at the ticks of the timers and at the early
// check; and only in its turn (CheckTurn), so its alert and the DNS server list's never stack. While the switch is
// on it also has the hosts file's folder watched, so that a change of the file is seen as soon as a registry
// change is.
class ResolutionCheck {
  public:
    // Everything the check reaches the platform through; all of it must outlive the check.
    struct Platform {
        ResolutionSource& source;
        HostsFolderWatch& hostsFolderWatch;
        ResolutionAlert& alert;
        DnsBaselineSaveRoute& baselineSaveRoute;
        DnsUndoRoute& undoRoute;
        FileSystem& files;
        WatchDialogs& dialogs;
        WatchWindow& window;
    };

    // folder: the folder of "AllowedDNS.txt", with its trailing separator.
    ResolutionCheck(const Platform& platform, CheckTurn& turn, const std::string& folder);

    // At the window's creation, whatever the switch says: reads the settings and takes the baseline
    // (DnsBaseline::Load), telling the user once through WatchDialogs::ShowError when it could not be used or saved.
    // Places that exist but cannot be read are told through WatchDialogs::ShowError too: once, and again only when
    // the set of them changes after a read that could read them all or others.
    void Start();
    // While the switch is on and it is this check's turn: reads the settings, tells places it could not read (as
    // Start does) and alerts on any difference with the baseline. A "Keep" that could not be saved is shown through
    // WatchDialogs::ShowError; the settings count as the baseline for this run all the same. "Undo" shows the
    // route's report, or, when it raised (a declined consent prompt, a run that failed), the reason through
    // WatchDialogs::ShowError. Never raises for a failure of the platform.
    void Check();
    // Has the hosts file's folder watched exactly while the switch is on. Runs wherever the watch learns the
    // switch's state; a check that finds the file in another folder follows it by itself.
    void FollowMonitorSwitch();

    const DnsBaseline& baseline() const { return baseline_; }

  private:
    void Undo();
    // A place that cannot be read is never a difference, so the user hears of it this way or not at all.
    void TellUnreadablePlaces(const ResolutionSettings& current);

    Platform platform_;
    CheckTurn& turn_;
    DnsBaseline baseline_;
    // The hosts file's folder as the last read found it; empty when it could not be told.
    std::string hostsFolder_;
    // The folder being watched, nullopt when none is.
    std::optional<std::string> watchedFolder_;
    // The unreadable places last told; empty after a read that could read everything.
    std::vector<std::string> toldUnreadable_;
};

}  // namespace quillcrest
