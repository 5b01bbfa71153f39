#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/row_name.h"
#include "support/watch_test_rig.h"

namespace quillcrest {
namespace {

using fakes::kRigAdapter;
using fakes::WatchRig;

constexpr int kRecentInterval = 30;
constexpr int kDefaultInterval = 120;

enum class BoxChange { MouseTick, MouseUntick, MouseReleaseWithoutChange, KeyboardTick, KeyboardUntick };

struct BoxAction {
    int second;
    BoxChange change;
};

// The main window's two timers on a clock of whole seconds, the watch's checks logged by second. Every check
// finds a changed list and the user answers "Fix It" and No, so each check shows in the log by its question
// and changes nothing. When both timers are due in the same second the 30-second one runs first.
class TimerClock {
  public:
    explicit TimerClock(bool boxTickedAtStart) {
        rig.window.monitorOn = boxTickedAtStart;
        rig.StartOn("10.0.0.1");
        rig.network.currentList = "10.0.0.9";
        rig.recentCheckTimer.onIntervalStart = [this] { recentNext_ = now_ + kRecentInterval; };
        rig.dialogs.whileConfirmOpen = [this] {
            const bool recent = rig.dialogs.questions.back() == "Revert to your most recent DNS settings?";
            log.push_back(std::to_string(now_) + (recent ? " recent" : " default"));
        };
    }

    void RunUntil(int end, std::vector<BoxAction> actions) {
        for (;;) {
            const int recentDue = rig.recentCheckTimer.enabled ? recentNext_ : end + 1;
            const int actionDue = actions.empty() ? end + 1 : actions.front().second;
            const int next = std::min({recentDue, defaultNext_, actionDue});
            if (next > end)
                return;
            now_ = next;
            if (next == actionDue) {
                Apply(actions.front().change);
                actions.erase(actions.begin());
            } else if (next == recentDue) {
                recentNext_ += kRecentInterval;
                rig.watch.OnRecentCheckTick();
            } else {
                defaultNext_ += kDefaultInterval;
                rig.watch.OnDefaultCheckTick();
            }
        }
    }

    WatchRig rig;
    std::vector<std::string> log;

  private:
    void Apply(BoxChange change) {
        switch (change) {
            case BoxChange::MouseTick:
                rig.window.monitorOn = true;
                rig.watch.OnMonitorBoxReleased();
                break;
            case BoxChange::MouseUntick:
                rig.window.monitorOn = false;
                rig.watch.OnMonitorBoxReleased();
                break;
            case BoxChange::MouseReleaseWithoutChange:
                rig.watch.OnMonitorBoxReleased();
                break;
            case BoxChange::KeyboardTick:
                rig.window.monitorOn = true;
                break;
            case BoxChange::KeyboardUntick:
                rig.window.monitorOn = false;
                break;
        }
    }

    int now_ = 0;
    int recentNext_ = 0;
    int defaultNext_ = kDefaultInterval;
};

struct TimerCase {
    const char* name;
    bool boxTickedAtStart;
    std::vector<BoxAction> actions;
    int runUntil;
    std::vector<std::string> checks;
    bool recentRunningAtEnd;
};

// Failures name the row rather than dump its bytes.
void PrintTo(const TimerCase& row, std::ostream* out) {
    *out << row.name;
}

class WatchTimersTest : public ::testing::TestWithParam<TimerCase> {};

TEST_P(WatchTimersTest, ChecksRunWhenTheTimersAndTheMonitorBoxSay) {
    const TimerCase& row = GetParam();
    SCOPED_TRACE(row.name);
    TimerClock clock(row.boxTickedAtStart);
    EXPECT_FALSE(clock.rig.recentCheckTimer.enabled) << "off when the window is created";
    clock.RunUntil(row.runUntil, row.actions);
    EXPECT_EQ(clock.log, row.checks);
    EXPECT_EQ(clock.rig.recentCheckTimer.enabled, row.recentRunningAtEnd);
}

using C = BoxChange;

const TimerCase kTimerCases[] = {
    {"box ticked at start",
     true,
     {},
     250,
     {"120 default", "150 recent", "180 recent", "210 recent", "240 recent"},
     true},
    {"box not ticked at start", false, {}, 600, {}, false},
    {"mouse ticks the box",
     false,
     {{10, C::MouseTick}},
     130,
     {"40 recent", "70 recent", "100 recent", "130 recent"},
     true},
    {"keyboard ticks the box", false, {{10, C::KeyboardTick}}, 185, {"120 default", "150 recent", "180 recent"}, true},
    {"mouse unticks the box", true, {{200, C::MouseUntick}}, 600, {"120 default", "150 recent", "180 recent"}, false},
    {"keyboard unticks the box",
     true,
     {{200, C::KeyboardUntick}},
     600,
     {"120 default", "150 recent", "180 recent", "210 recent", "240 recent"},
     false},
    {"mouse release on a running timer keeps its interval",
     true,
     {{140, C::MouseReleaseWithoutChange}, {145, C::MouseTick}},
     185,
     {"120 default", "150 recent", "180 recent"},
     true},
    {"mouse release with the box unticked keeps the timer off",
     false,
     {{10, C::MouseReleaseWithoutChange}},
     300,
     {},
     false},
    {"mouse off then keyboard on checks the default again",
     true,
     {{130, C::MouseUntick}, {200, C::KeyboardTick}},
     275,
     {"120 default", "240 default", "270 recent"},
     true},
};

INSTANTIATE_TEST_SUITE_P(WatchSequences, WatchTimersTest, ::testing::ValuesIn(kTimerCases), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

TEST(WatchTimersTest, DefaultTickOnlyStartsTheRecentTimerWhenItIsOff) {
    TimerClock clock(true);
    clock.RunUntil(1000, {});
    EXPECT_EQ(clock.rig.recentCheckTimer.intervalStarts, 1);
}

TEST(WatchTimersTest, ErrorInTheDefaultCheckLeavesTheRecentTimerUntilTheNextDefaultTick) {
    WatchRig rig;
    rig.window.monitorOn = true;
    rig.SetDhcpRecord(false);
    rig.StartOn("10.0.0.1");
    rig.network.currentList = "10.0.0.9";
    rig.dialogs.confirmAnswer = true;
    rig.network.failingAdapter = kRigAdapter;

    EXPECT_THROW(rig.watch.OnDefaultCheckTick(), Exception);
    EXPECT_FALSE(rig.recentCheckTimer.enabled);

    rig.network.currentList = "10.0.0.1";
    rig.watch.OnDefaultCheckTick();
    EXPECT_TRUE(rig.recentCheckTimer.enabled);
}

}  // namespace
}  // namespace quillcrest
