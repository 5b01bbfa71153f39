#pragma once

#include <chrono>
#include <string>

#include "support/base_fake_monotonic_clock.h"
#include "support/netconfig_fake_wmi_query.h"
#include "support/settings_fake_registry.h"
#include "support/watch_fake_allowed_list_save_route.h"
#include "support/watch_fake_change_notification.h"
#include "support/watch_fake_check_timer.h"
#include "support/watch_fake_dialogs.h"
#include "support/watch_fake_dns_baseline_save_route.h"
#include "support/watch_fake_dns_undo_route.h"
#include "support/watch_fake_file_system.h"
#include "support/watch_fake_hosts_folder_watch.h"
#include "support/watch_fake_network.h"
#include "support/watch_fake_resolution_alert.h"
#include "support/watch_fake_resolution_source.h"
#include "support/watch_fake_settle_timer.h"
#include "support/watch_fake_window.h"
#include "support/watch_registry_records.h"
#include "watch/dns_watch.h"

namespace quillcrest::fakes {

constexpr char kRigExeFolder[] = "C:\\Apps\\";
constexpr char kRigAllowedListPath[] = "C:\\Apps\\AllowedDNS.txt";
constexpr char kRigDnsBaselinePath[] = "C:\\Apps\\DNSBaseline.txt";
constexpr char kRigAdapter[] = "{AAAAAAAA-0000-0000-0000-000000000001}";

// A row of the IP-enabled adapters' query, as the adapter actions read it.
inline FakeWmiQuery::Row IpEnabledRow(const std::string& id) {
    return {{"SettingID", WmiValue::Text(id)}, {"IPEnabled", WmiValue::Boolean(true)}};
}

// A DnsWatch over fakes of everything it reaches. The preferred adapter is kRigAdapter; tests set the fakes up,
// then call Start() (or skip it to drive a watch that was not started) and the event methods.
struct WatchRig {
    FakeWmiQuery query;
    FakeRegistryApi registry;
    FakeWatchNetwork network;
    FakeFileSystem files;
    FakeWatchDialogs dialogs;
    FakeWatchWindow window;
    FakeCheckTimer recentCheckTimer;
    FakeDnsChangeNotification changeNotification;
    FakeMonotonicClock clock;
    FakeSettleTimer settleTimer{clock};
    FakeAllowedListSaveRoute listSaveRoute;
    FakeResolutionSource resolution;
    FakeHostsFolderWatch hostsFolderWatch;
    FakeResolutionAlert resolutionAlert;
    FakeDnsBaselineSaveRoute baselineSaveRoute;
    FakeDnsUndoRoute undoRoute;
    DnsWatch watch{{query, registry, network, files, dialogs, window, recentCheckTimer, changeNotification, settleTimer,
                    clock, listSaveRoute, resolution, hostsFolderWatch, resolutionAlert, baselineSaveRoute, undoRoute},
                   kRigExeFolder,
                   EqualIgnoringAsciiCase};

    WatchRig() { UsePreferredAdapter(kRigAdapter); }

    // The rows GetAdaptorGUID reads: one adapter with a metric.
    void UsePreferredAdapter(const std::string& id) {
        query.setRows({{{"IPConnectionMetric", WmiValue::Integer(10)},
                        {"Index", WmiValue::Integer(1)},
                        {"SettingID", WmiValue::Text(id)},
                        {"Description", WmiValue::Text("Adapter")},
                        {"DHCPEnabled", WmiValue::Boolean(false)},
                        {"DNSServerSearchOrder", WmiValue::Null()}}});
    }

    // Starts the watch with recent and default references equal to list and the alert's answers reset.
    void StartOn(const std::string& list) {
        network.currentList = list;
        PlantText(registry, UserKey(kRigAdapter), "Default NameServers", list);
        watch.Start();
    }

    // Moves the clock on by step, elapsing the settle timer whenever it comes due on the way.
    void AdvanceClock(std::chrono::milliseconds step) {
        const MonotonicClock::TimePoint end = clock.now + step;
        while (settleTimer.due && *settleTimer.due <= end) {
            clock.now = *settleTimer.due;
            settleTimer.due.reset();
            watch.OnSettleTimerElapsed();
        }
        clock.now = end;
    }

    void SetDhcpRecord(bool dhcp) { PlantDword(registry, UserKey(kRigAdapter), "DHCPEnabled", dhcp ? 1 : 0); }
};

}  // namespace quillcrest::fakes
