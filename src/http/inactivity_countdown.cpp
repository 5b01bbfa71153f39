#include "http/inactivity_countdown.h"

#include <algorithm>

namespace quillcrest {

InactivityCountdown::InactivityCountdown(const MonotonicClock& clock,
                                         std::chrono::seconds limit,
                                         std::chrono::seconds overallLimit)
    : clock_(clock),
      limit_(std::max(limit, std::chrono::seconds::zero())),
      overallEnd_(clock.Now() + std::max(overallLimit, std::chrono::seconds::zero())) {
    Restart();
}

void InactivityCountdown::Restart() {
    deadline_ = std::min(clock_.Now() + limit_, overallEnd_);
}

std::chrono::milliseconds InactivityCountdown::Remaining() const {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_ - clock_.Now());
    return std::max(left, std::chrono::milliseconds::zero());
}

}  // namespace quillcrest
