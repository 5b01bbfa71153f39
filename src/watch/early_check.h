#pragma once

#include <chrono>
#include <functional>

#include "base/monotonic_clock.h"
#include "watch/dns_change_notification.h"
#include "watch/settle_timer.h"
#include "watch/watch_window.h"

namespace quillcrest {

// Runs the checks as soon as the system says the DNS settings changed, rather than up to half a minute later at
// the next tick. The timers keep their schedule and stay the watch's only source of truth: the system
// notices every write, related or not, so a signal only moves the next check forward; a check that finds
// nothing raises nothing.
//
// A change arrives as a burst of writes (an adapter's servers, then its DHCP values, then the other family's), so
// the check waits until the signals have been quiet for kSettleTime, and at most kLongestSettle after the
// first one, so that a writer that never stops cannot hold the check back.
class EarlyCheck {
  public:
    static constexpr std::chrono::milliseconds kSettleTime{300};
    static constexpr std::chrono::milliseconds kLongestSettle{1000};

    // checkNow runs the checks the next tick would run, leaving the timers as they are.
    EarlyCheck(std::function<void()> checkNow,
               WatchWindow& window,
               DnsChangeNotification& notification,
               SettleTimer& settleTimer,
               const MonotonicClock& clock);

    // Watches the settings exactly while the monitor switch is on. Runs wherever the watch learns the switch's
    // state: at start, on a mouse release over the box, and at the 120-second tick (a change by keyboard).
    void FollowMonitorSwitch();
    // The notification signalled a change.
    void OnChangeSignalled();
    // The settle timer elapsed.
    void OnSettleTimerElapsed();

  private:
    std::function<void()> checkNow_;
    WatchWindow& window_;
    DnsChangeNotification& notification_;
    SettleTimer& settleTimer_;
    const MonotonicClock& clock_;
    bool settling_ = false;
    MonotonicClock::TimePoint firstSignal_;
    MonotonicClock::TimePoint lastSignal_;
};

}  // namespace quillcrest
