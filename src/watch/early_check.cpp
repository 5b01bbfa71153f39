#include "watch/early_check.h"

#include <algorithm>
#include <utility>

namespace quillcrest {

EarlyCheck::EarlyCheck(std::function<void()> checkNow,
                       WatchWindow& window,
                       DnsChangeNotification& notification,
                       SettleTimer& settleTimer,
                       const MonotonicClock& clock)
    : checkNow_(std::move(checkNow)),
      window_(window),
      notification_(notification),
      settleTimer_(settleTimer),
      clock_(clock) {}

void EarlyCheck::FollowMonitorSwitch() {
    notification_.SetWatching(window_.MonitorSwitchOn());
}

void EarlyCheck::OnChangeSignalled() {
    // A signal already on its way when the switch went off.
    if (!window_.MonitorSwitchOn())
        return;
    lastSignal_ = clock_.Now();
    if (settling_)
        return;
    settling_ = true;
    firstSignal_ = lastSignal_;
    settleTimer_.StartOnce(kSettleTime);
}

void EarlyCheck::OnSettleTimerElapsed() {
    if (!settling_)
        return;
    const MonotonicClock::TimePoint now = clock_.Now();
    const auto quietFor = now - lastSignal_;
    const auto settlingFor = now - firstSignal_;
    if (quietFor < kSettleTime && settlingFor < kLongestSettle) {
        const auto untilQuiet = std::chrono::ceil<std::chrono::milliseconds>(kSettleTime - quietFor);
        const auto untilLongest = std::chrono::ceil<std::chrono::milliseconds>(kLongestSettle - settlingFor);
        settleTimer_.StartOnce(std::min(untilQuiet, untilLongest));
        return;
    }
    // Cleared first: the check may show the alert, and signals during it start a settle of their own.
    settling_ = false;
    checkNow_();
}

}  // namespace quillcrest
