#include "rate_limiter.h"

#include <algorithm>
#include <iterator>

namespace quillcrest::lookupd {

RateLimiter::RateLimiter(RateLimits limits) : limits_(limits) {
    buckets_.reserve(limits_.sources);
}

double RateLimiter::Refilled(const Bucket& bucket, Clock::time_point now) const {
    const double seconds = std::chrono::duration<double>(now - bucket.updated).count();
    return std::min(limits_.burst, bucket.tokens + std::max(0.0, seconds) * limits_.perSecond);
}

void RateLimiter::ForgetQuietSources(Clock::time_point now) {
    for (auto it = buckets_.begin(); it != buckets_.end();)
        it = Refilled(it->second, now) >= limits_.burst ? buckets_.erase(it) : std::next(it);
}

bool RateLimiter::Allow(std::uint32_t source, Clock::time_point now) {
    auto found = buckets_.find(source);
    if (found == buckets_.end()) {
        if (buckets_.size() >= limits_.sources)
            ForgetQuietSources(now);
        if (buckets_.size() >= limits_.sources || limits_.burst < 1)
            return false;
        found = buckets_.emplace(source, Bucket{limits_.burst, now}).first;
    }
    Bucket& bucket = found->second;
    bucket.tokens = Refilled(bucket, now);
    bucket.updated = now;
    if (bucket.tokens < 1)
        return false;
    bucket.tokens -= 1;
    return true;
}

}  // namespace quillcrest::lookupd
