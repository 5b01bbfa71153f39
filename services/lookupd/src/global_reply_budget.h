#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>

namespace quillcrest::lookupd {

// The bytes per second that the whole service may send, whatever the number of sources: with forged source
// addresses, the per-source rate limit alone bounds nothing, since every forged address has a fresh bucket. A
// token bucket of bytes that refills at the given rate and holds at most one second's worth.
// A flood of forged requests spends the budget as fast as it refills, and the requests of real clients would be
// refused along with it; so the last part of the budget is kept for quiet sources (clients that ask now and then,
// see RateLimiter::IsQuiet), which a flood from ever new or busy forged sources cannot use. Thread-safe.
class GlobalReplyBudget {
  public:
    using Clock = std::chrono::steady_clock;

    // The share of the budget that only quiet sources may spend.
    static constexpr double kQuietShare = 0.1;

    explicit GlobalReplyBudget(std::size_t bytesPerSecond);

    // Takes `bytes` (the most a reply may cost) when the budget holds them, not counting the quiet share unless
    // the source is quiet; otherwise takes nothing.
    bool Reserve(std::size_t bytes, bool quietSource, Clock::time_point now);
    // Gives back what a reply did not use of what was reserved for it.
    void Refund(std::size_t bytes);

  private:
    const double bytesPerSecond_;
    std::mutex mutex_;
    double available_;
    Clock::time_point updated_;
};

}  // namespace quillcrest::lookupd
