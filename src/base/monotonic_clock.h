#pragma once

#include <chrono>

namespace quillcrest {

// Time that only moves forward, for measuring how long something has been quiet or has taken.
class MonotonicClock {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~MonotonicClock() = default;
    virtual TimePoint Now() const = 0;
};

// The system's steady clock.
class SteadyMonotonicClock final : public MonotonicClock {
  public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
};

}  // namespace quillcrest
