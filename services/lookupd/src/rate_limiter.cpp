#include "rate_limiter.h"

#include <algorithm>

namespace quillcrest::lookupd {
namespace {

// How many of the least recently seen sources a new source may displace, when the table is full. The least
// recent one is usually the quietest; a few more cover sources that spent less of their burst.
constexpr std::size_t kEvictionCandidates = 8;

}  // namespace

RateLimiter::RateLimiter(RateLimits limits) : limits_(limits), buckets_(limits.sources) {}

double RateLimiter::Refilled(const Bucket& bucket, Clock::time_point now) const {
    const double seconds = std::chrono::duration<double>(now - bucket.updated).count();
    return std::min(limits_.burst, bucket.tokens + std::max(0.0, seconds) * limits_.perSecond);
}

bool RateLimiter::IsQuiet(std::uint32_t source, Clock::time_point now) {
    const Bucket* bucket = buckets_.Find(source);
    return bucket != nullptr && Refilled(*bucket, now) >= limits_.burst - 1;
}

bool RateLimiter::Allow(std::uint32_t source, Clock::time_point now) {
    Bucket* bucket = buckets_.Find(source);
    if (bucket == nullptr) {
        if (limits_.burst < 1)
            return false;
        if (buckets_.full() && !buckets_.EraseLeastRecentWhere(kEvictionCandidates, [&](const Bucket& quiet) {
                return Refilled(quiet, now) >= limits_.burst;
            }))
            return false;
        bucket = buckets_.Put(source, Bucket{limits_.burst, now});
        if (bucket == nullptr)
            return false;
    }
    bucket->tokens = Refilled(*bucket, now);
    bucket->updated = now;
    if (bucket->tokens < 1)
        return false;
    bucket->tokens -= 1;
    return true;
}

}  // namespace quillcrest::lookupd
