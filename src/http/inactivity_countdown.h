#pragma once

#include <chrono>

#include "base/monotonic_clock.h"

namespace quillcrest {

// The time a network step may still wait for data. It starts at the inactivity limit and starts again from it
// whenever data has moved, so a slow but steady server is not cut off for being slow; only silence ends a step.
// But it never reaches past the exchange's overall limit, counted from the countdown's creation: a server that
// trickles bytes (or anyone on the path who makes it look so) cannot hold an exchange for longer than that.
class InactivityCountdown {
  public:
    // The clock must outlive the countdown.
    InactivityCountdown(const MonotonicClock& clock, std::chrono::seconds limit, std::chrono::seconds overallLimit);

    void Restart();
    // What is left of the countdown; zero once it has run out.
    std::chrono::milliseconds Remaining() const;
    bool Expired() const { return Remaining().count() == 0; }

  private:
    const MonotonicClock& clock_;
    std::chrono::seconds limit_;
    MonotonicClock::TimePoint overallEnd_;
    MonotonicClock::TimePoint deadline_;
};

}  // namespace quillcrest
