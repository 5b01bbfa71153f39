#pragma once

#include <functional>

#include "watch/check_timer.h"

namespace quillcrest::fakes {

// A timer that only remembers its state and how often its interval was started afresh.
class FakeCheckTimer : public CheckTimer {
  public:
    bool enabled = false;
    int intervalStarts = 0;
    // Runs at each start of the interval, so a test's clock can schedule the next tick.
    std::function<void()> onIntervalStart;
    // Each switch-on starts the interval, also on a running timer, as a window timer does.
    void SetEnabled(bool on) override {
        enabled = on;
        if (!on)
            return;
        ++intervalStarts;
        if (onIntervalStart)
            onIntervalStart();
    }
    bool Enabled() const override { return enabled; }
};

}  // namespace quillcrest::fakes
