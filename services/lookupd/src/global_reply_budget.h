#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>

namespace quillcrest::lookupd {

// The bytes per second that the whole service may send, whatever the number of sources: with forged source
// addresses, the per-source rate limit alone bounds nothing, since every forged address has a fresh bucket. A
// token bucket of bytes that refills at the given rate and holds at most one second's worth. Thread-safe.
class GlobalReplyBudget {
  public:
    using Clock = std::chrono::steady_clock;

    explicit GlobalReplyBudget(std::size_t bytesPerSecond);

    // Takes `bytes` (the most a reply may cost) when the budget holds them; otherwise takes nothing.
    bool Reserve(std::size_t bytes, Clock::time_point now);
    // Gives back what a reply did not use of what was reserved for it.
    void Refund(std::size_t bytes);

  private:
    const double bytesPerSecond_;
    std::mutex mutex_;
    double available_;
    Clock::time_point updated_;
};

}  // namespace quillcrest::lookupd
