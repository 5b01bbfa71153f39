#pragma once

#include <chrono>
#include <optional>
#include <vector>

#include "support/base_fake_monotonic_clock.h"
#include "watch/settle_timer.h"

namespace quillcrest::fakes {

// A one-shot timer on a fake clock: it only remembers when it is due; the test's clock fires it.
class FakeSettleTimer : public SettleTimer {
  public:
    explicit FakeSettleTimer(const FakeMonotonicClock& clock) : clock_(clock) {}

    std::optional<MonotonicClock::TimePoint> due;
    std::vector<std::chrono::milliseconds> delays;

    void StartOnce(std::chrono::milliseconds delay) override {
        delays.push_back(delay);
        due = clock_.now + delay;
    }

  private:
    const FakeMonotonicClock& clock_;
};

}  // namespace quillcrest::fakes
