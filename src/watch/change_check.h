#pragma once

#include <optional>
#include <string>

#include "watch/allowed_list.h"
#include "watch/check_timer.h"
#include "watch/check_turn.h"
#include "watch/dns_selection.h"
#include "watch/interface_records.h"
#include "watch/reference_lists.h"
#include "watch/watch_dialogs.h"
#include "watch/watch_network.h"
#include "watch/watch_window.h"

namespace quillcrest {

// The watch itself: two timers compare the machine's DNS server list with a reference list and alert the user
// when it differs and has not been accepted before. "OK" accepts the list for good; "Fix It", confirmed, sets
// the preferred adapter back to the reference. The confirmation is the question Q, or, when the network shows
// and confirms the change itself (the elevated run's window), that window alone, so a revert asks once.
//
// The 30-second timer (recentCheckTimer) checks against the recent list; the 120-second timer checks against
// the default list while the monitor switch is on and the 30-second timer is off, and then sets the 30-second
// timer running exactly when the switch is on.
//
// Ticks keep arriving inside the modal dialogs of a check. A check does nothing while it is not its turn (see
// CheckTurn): while another check, this one or the wider one, still waits for the user, or while the program
// makes a DNS change of its own. So a change raises one alert and one decision, and only that decision is
// carried out.
class ChangeCheck {
  public:
    static constexpr char kRecentQuestion[] = "Revert to your most recent DNS settings?";
    static constexpr char kDefaultQuestion[] = "Revert to your default DNS settings?";

    ChangeCheck(ReferenceLists& references,
                AllowedList& allowedList,
                DnsSelection& selection,
                WatchNetwork& network,
                InterfaceRecords& records,
                WatchDialogs& dialogs,
                WatchWindow& window,
                CheckTimer& recentCheckTimer,
                CheckTurn& turn);

    // Tick of the 30-second timer. Errors of the revert and of saving the allowed list pass to the caller.
    void OnRecentCheckTick();
    // Tick of the 120-second timer. An error passing out of its check also skips setting the 30-second timer.
    void OnDefaultCheckTick();
    // The monitor check box was released with the mouse: the 30-second timer runs exactly when it is ticked.
    void OnMonitorBoxReleased();
    // While the monitor switch is on, the check that the next tick would run now: against the recent list while
    // the 30-second timer runs, else against the default list. Leaves both timers as they are.
    void CheckAsTheNextTickWould();

  private:
    void Check(std::optional<std::string>& reference, const char* question);
    // The assignment that reverts the preferred adapter to the reference; nullopt when the reference gives the
    // adapter no servers it can take (none or more than three while the adapter is not on DHCP).
    std::optional<DnsAssignment> RevertAssignment(const std::string& reference);
    void RevertPreferredAdapter(const std::optional<DnsAssignment>& revert);
    void SetRecentCheckRunning(bool running);

    ReferenceLists& references_;
    AllowedList& allowedList_;
    DnsSelection& selection_;
    WatchNetwork& network_;
    InterfaceRecords& records_;
    WatchDialogs& dialogs_;
    WatchWindow& window_;
    CheckTimer& recentCheckTimer_;
    CheckTurn& turn_;
};

}  // namespace quillcrest
