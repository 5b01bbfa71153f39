#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "recency_map.h"

namespace quillcrest::lookupd {

struct RateLimits {
    double burst = 10;            // requests a quiet source may send at once
    double perSecond = 2;         // requests a source may send each second in the long run
    std::size_t sources = 65536;  // sources tracked at once (about 100 bytes each)
};

// A token bucket per source address in a table of bounded size. When the table is full, a source that has been
// quiet long enough for its bucket to fill up again makes room; the few sources seen least recently are the
// candidates. If none of them is quiet, a new source is refused until one is. So a flood from many (forged)
// sources cannot reset the bucket of a source that is being flooded, and a full table costs no more per request
// than an empty one. Not thread-safe.
class RateLimiter {
  public:
    using Clock = std::chrono::steady_clock;

    explicit RateLimiter(RateLimits limits = {});

    // Whether a request from source may be answered now; takes one token when it may.
    bool Allow(std::uint32_t source, Clock::time_point now);

    // Whether source is known here and has been quiet: its bucket, refilled to now, lacks at most one token. A
    // client that asks now and then always is; a source that floods, or one never seen before, is not.
    bool IsQuiet(std::uint32_t source, Clock::time_point now);

    std::size_t trackedSources() const { return buckets_.size(); }

  private:
    struct Bucket {
        double tokens;
        Clock::time_point updated;
    };

    double Refilled(const Bucket& bucket, Clock::time_point now) const;

    RateLimits limits_;
    RecencyMap<Bucket> buckets_;
};

}  // namespace quillcrest::lookupd
