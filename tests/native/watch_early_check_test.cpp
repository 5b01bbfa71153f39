#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "support/row_name.h"
#include "support/watch_test_rig.h"

namespace quillcrest {
namespace {

using fakes::WatchRig;
using std::chrono::milliseconds;

constexpr char kRecent[] = "Revert to your most recent DNS settings?";
constexpr char kDefault[] = "Revert to your default DNS settings?";

// A started watch whose machine list has changed since start, and a user who answers every alert with "Fix It"
// and No: each check that runs shows in the questions it asked, at the time the clock showed, and changes nothing.
class EarlyCheckRig : public WatchRig {
  public:
    explicit EarlyCheckRig(bool monitorOn = true, bool recentTimerRunning = false) {
        window.monitorOn = monitorOn;
        StartOn("10.0.0.1");
        network.currentList = "10.0.0.9";
        // From here on, each read of the list is a check.
        network.listReads = 0;
        recentCheckTimer.enabled = recentTimerRunning;
        dialogs.whileConfirmOpen = [this] { checkTimes.push_back(SinceStart()); };
    }

    // count signals, spacing apart, the first one now.
    void Signal(int count, milliseconds spacing) {
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                AdvanceClock(spacing);
            watch.OnDnsSettingsSignalled();
        }
    }

    milliseconds SinceStart() const { return std::chrono::duration_cast<milliseconds>(clock.now - start_); }

    std::vector<milliseconds> checkTimes;

  private:
    MonotonicClock::TimePoint start_ = clock.now;
};

struct SignalCase {
    const char* name;
    bool monitorOn;
    bool recentTimerRunning;
    int signals;
    milliseconds spacing;
    std::vector<std::string> questions;
};

// Failures name the row rather than dump its bytes.
void PrintTo(const SignalCase& row, std::ostream* out) {
    *out << row.name;
}

class WatchEarlyCheckTest : public ::testing::TestWithParam<SignalCase> {};

TEST_P(WatchEarlyCheckTest, SignalsRunTheCheckOfTheNextTickOnceAndLeaveTheTimers) {
    const SignalCase& row = GetParam();
    SCOPED_TRACE(row.name);
    EarlyCheckRig rig(row.monitorOn, row.recentTimerRunning);
    const int intervalStarts = rig.recentCheckTimer.intervalStarts;

    rig.Signal(row.signals, row.spacing);
    rig.AdvanceClock(milliseconds(5000));

    EXPECT_EQ(rig.dialogs.questions, row.questions);
    EXPECT_EQ(rig.network.listReads, static_cast<int>(row.questions.size())) << "no read without a check";
    EXPECT_EQ(rig.recentCheckTimer.enabled, row.recentTimerRunning);
    EXPECT_EQ(rig.recentCheckTimer.intervalStarts, intervalStarts);
}

const SignalCase kSignalCases[] = {
    {"one signal before the first 120-second tick", true, false, 1, milliseconds(0), {kDefault}},
    {"one signal while the 30-second timer runs", true, true, 1, milliseconds(0), {kRecent}},
    {"burst of 10 signals", true, false, 10, milliseconds(50), {kDefault}},
    {"burst of 10 signals at once", true, true, 10, milliseconds(0), {kRecent}},
    {"switch off", false, false, 10, milliseconds(50), {}},
    {"switch off with the 30-second timer still running", false, true, 1, milliseconds(0), {}},
};

INSTANTIATE_TEST_SUITE_P(Signals, WatchEarlyCheckTest, ::testing::ValuesIn(kSignalCases), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

TEST(WatchEarlyCheckTest, ChecksWhenTheBurstHasBeenQuietForTheSettleTime) {
    EarlyCheckRig rig;
    rig.Signal(10, milliseconds(50));
    const milliseconds lastSignal = rig.SinceStart();
    rig.AdvanceClock(EarlyCheck::kSettleTime - milliseconds(1));
    EXPECT_EQ(rig.network.listReads, 0) << "checked before the writes settled";
    rig.AdvanceClock(milliseconds(1));
    EXPECT_EQ(rig.checkTimes, std::vector<milliseconds>{lastSignal + EarlyCheck::kSettleTime});
}

TEST(WatchEarlyCheckTest, WriterThatNeverStopsIsCheckedAtTheLongestSettle) {
    EarlyCheckRig rig;
    // A write every 100 ms for 2.5 s: each check ends a settle, and the signal that follows starts the next.
    rig.Signal(26, milliseconds(100));
    const milliseconds lastSignal = rig.SinceStart();
    rig.AdvanceClock(milliseconds(5000));
    const milliseconds longest = EarlyCheck::kLongestSettle;
    EXPECT_EQ(rig.checkTimes,
              (std::vector<milliseconds>{longest, longest + longest, lastSignal + EarlyCheck::kSettleTime}));
}

// A signal that comes while the check's alert is up, and how long the alert stays up after it.
struct SignalDuringAlertCase {
    const char* name;
    milliseconds alertUpAfterTheSignal;
    int checks;
};

void PrintTo(const SignalDuringAlertCase& row, std::ostream* out) {
    *out << row.name;
}

class WatchSignalDuringAlertTest : public ::testing::TestWithParam<SignalDuringAlertCase> {};

TEST_P(WatchSignalDuringAlertTest, SettlesOnItsOwnAndChecksOnlyOnceTheAlertIsAnswered) {
    const SignalDuringAlertCase& row = GetParam();
    SCOPED_TRACE(row.name);
    EarlyCheckRig rig;
    // The settle timer elapses inside the alert's modal loop, as window timers do. Only the first alert gets a
    // signal, so that the checks it leads to come to an end.
    rig.dialogs.whileAlertOpen = [&rig, &row] {
        if (rig.dialogs.alerts > 1)
            return;
        rig.watch.OnDnsSettingsSignalled();
        rig.AdvanceClock(row.alertUpAfterTheSignal);
    };
    rig.Signal(1, milliseconds(0));
    rig.AdvanceClock(milliseconds(5000));
    EXPECT_EQ(rig.network.listReads, row.checks);
    EXPECT_EQ(rig.dialogs.alerts, row.checks);
}

const SignalDuringAlertCase kSignalDuringAlertCases[] = {
    // Its settle ends while the alert is up, where a check does nothing.
    {"settle time passes while the alert is up", milliseconds(2000), 1},
    // Its settle is still running when the alert is answered: the second check comes after it.
    {"alert answered with no clock advance", milliseconds(0), 2},
};

INSTANTIATE_TEST_SUITE_P(Alerts,
                         WatchSignalDuringAlertTest,
                         ::testing::ValuesIn(kSignalDuringAlertCases),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

// The program's own changes write the settings the notification watches, and the wait for an elevated run (or
// a WMI call) dispatches messages: the early check and the ticks may come due before the change has ended and
// renewed the reference. None of them may take the user's change for someone else's.
struct OwnChangeCase {
    const char* name;
    bool ctrlReset;  // the Ctrl reset of "Check My Current DNS Settings" rather than Apply of OpenDNS
    bool recentTimerRunning;
};

void PrintTo(const OwnChangeCase& row, std::ostream* out) {
    *out << row.name;
}

class WatchOwnChangeTest : public ::testing::TestWithParam<OwnChangeCase> {};

TEST_P(WatchOwnChangeTest, ChecksDueWhileTheChangeIsMadeRaiseNoAlert) {
    const OwnChangeCase& row = GetParam();
    SCOPED_TRACE(row.name);
    WatchRig rig;
    rig.window.monitorOn = true;
    rig.StartOn("10.0.0.1");
    rig.SetDhcpRecord(true);
    rig.recentCheckTimer.enabled = row.recentTimerRunning;
    rig.query.setRows({fakes::IpEnabledRow(fakes::kRigAdapter)});
    rig.network.tcpipInterfaces = {fakes::kRigAdapter};
    int checksDue = 0;
    rig.network.afterChanging = [&] {
        rig.network.currentList = "208.67.222.222,208.67.220.220";
        rig.watch.OnDnsSettingsSignalled();
        rig.AdvanceClock(milliseconds(2000));
        rig.watch.OnRecentCheckTick();
        ++checksDue;
    };

    if (row.ctrlReset) {
        rig.watch.OnCheckButtonReleased(true);
    } else {
        rig.watch.OnSelectionClicked(kSelectionOpenDns);
        rig.watch.OnApplyClicked();
    }

    EXPECT_EQ(checksDue, 1) << "the change was made";
    EXPECT_EQ(rig.dialogs.alerts, 0);
    // Guarded checks are skipped, not lost: the next tick checks as before.
    rig.network.currentList = "10.0.0.66";
    rig.watch.OnRecentCheckTick();
    EXPECT_EQ(rig.dialogs.alerts, 1);
}

const OwnChangeCase kOwnChangeCases[] = {
    {"apply_while_the_30_second_check_runs", false, true},
    {"apply_before_the_first_120_second_check", false, false},
    {"ctrl_reset_while_the_30_second_check_runs", true, true},
};

INSTANTIATE_TEST_SUITE_P(OwnChanges, WatchOwnChangeTest, ::testing::ValuesIn(kOwnChangeCases), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

TEST(WatchEarlyCheckTest, SwitchTurnedOffWhileSettlingRunsNoCheck) {
    EarlyCheckRig rig;
    rig.Signal(1, milliseconds(0));
    rig.window.monitorOn = false;
    rig.AdvanceClock(milliseconds(5000));
    EXPECT_EQ(rig.network.listReads, 0);
}

TEST(WatchEarlyCheckTest, CheckThatFindsNoChangeRaisesNothing) {
    EarlyCheckRig rig;
    rig.network.currentList = "10.0.0.1";
    rig.Signal(1, milliseconds(0));
    rig.AdvanceClock(milliseconds(5000));
    EXPECT_EQ(rig.network.listReads, 1);
    EXPECT_EQ(rig.dialogs.alerts, 0);
}

TEST(WatchEarlyCheckTest, NotificationWatchesExactlyWhileTheSwitchIsOn) {
    WatchRig rig;
    rig.window.monitorOn = true;
    rig.StartOn("10.0.0.1");
    EXPECT_TRUE(rig.changeNotification.watching) << "switch on at start";

    rig.window.monitorOn = false;
    rig.watch.OnMonitorBoxReleased();
    EXPECT_FALSE(rig.changeNotification.watching) << "switch turned off with the mouse";

    // A change by keyboard reaches the watch at the next 120-second tick.
    rig.window.monitorOn = true;
    rig.watch.OnRecentCheckTick();
    EXPECT_FALSE(rig.changeNotification.watching);
    rig.watch.OnDefaultCheckTick();
    EXPECT_TRUE(rig.changeNotification.watching) << "switch turned on by keyboard";

    WatchRig offAtStart;
    offAtStart.StartOn("10.0.0.1");
    EXPECT_FALSE(offAtStart.changeNotification.watching) << "switch off at start";
}

}  // namespace
}  // namespace quillcrest
