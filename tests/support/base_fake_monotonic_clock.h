#pragma once

#include <chrono>

#include "base/monotonic_clock.h"

namespace quillcrest::fakes {

// A clock that moves only when the test moves it.
class FakeMonotonicClock : public MonotonicClock {
  public:
    TimePoint now{};
    TimePoint Now() const override { return now; }
};

}  // namespace quillcrest::fakes
