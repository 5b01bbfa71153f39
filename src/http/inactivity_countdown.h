#pragma once

#include <chrono>

namespace quillcrest {

// The time a network step may still wait for data. It starts at the limit and starts again from the limit
// whenever data has moved, so a slow but steady server is never cut off; only silence ends a step.
class InactivityCountdown {
  public:
    using Clock = std::chrono::steady_clock;

    explicit InactivityCountdown(std::chrono::seconds limit);

    void Restart();
    // What is left of the countdown; zero once it has run out.
    std::chrono::milliseconds Remaining() const;
    bool Expired() const { return Remaining().count() == 0; }

  private:
    std::chrono::seconds limit_;
    Clock::time_point deadline_;
};

}  // namespace quillcrest
