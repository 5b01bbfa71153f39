#include "http/inactivity_countdown.h"

#include <algorithm>

namespace quillcrest {

InactivityCountdown::InactivityCountdown(std::chrono::seconds limit)
    : limit_(std::max(limit, std::chrono::seconds::zero())) {
    Restart();
}

void InactivityCountdown::Restart() {
    deadline_ = Clock::now() + limit_;
}

std::chrono::milliseconds InactivityCountdown::Remaining() const {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_ - Clock::now());
    return std::max(left, std::chrono::milliseconds::zero());
}

}  // namespace quillcrest
