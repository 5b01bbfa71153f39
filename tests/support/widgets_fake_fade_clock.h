#pragma once

#include <chrono>

#include "widgets/opacity_fade.h"

namespace quillcrest::fakes {

// A clock whose sleeps end only at the system's next tick, as Windows' do: a sleep lasts the time asked for,
// rounded up to a whole number of ticks (a tick of one microsecond sleeps exactly).
class CoarseTickFadeClock : public FadeClock {
  public:
    explicit CoarseTickFadeClock(std::chrono::microseconds tick) : tick_(tick) {}

    std::chrono::microseconds Now() override { return now_; }
    void Sleep(std::chrono::microseconds time) override {
        const auto ticks = (time + tick_ - std::chrono::microseconds(1)) / tick_;
        now_ += tick_ * (ticks > 0 ? ticks : 1);
        ++sleeps;
    }

    int sleeps = 0;

  private:
    std::chrono::microseconds tick_;
    std::chrono::microseconds now_{1000000};
};

}  // namespace quillcrest::fakes
