#include <gtest/gtest.h>

#include <chrono>

#include "lookupd_fakes.h"
#include "rate_limiter.h"

namespace quillcrest::lookupd {
namespace {

using std::chrono::milliseconds;
using testing::Address;

class LookupdRateLimiterTest : public ::testing::Test {
  protected:
    RateLimiter::Clock::time_point start = RateLimiter::Clock::now();
    const std::uint32_t source = Address(198, 51, 100, 7);
};

TEST_F(LookupdRateLimiterTest, ABurstPassesThenTheSourceWaitsForTokens) {
    RateLimiter limiter(RateLimits{3, 2, 16});
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(limiter.Allow(source, start)) << i;
    EXPECT_FALSE(limiter.Allow(source, start));
    // Two tokens a second: one back after half a second, not before.
    EXPECT_FALSE(limiter.Allow(source, start + milliseconds(400)));
    EXPECT_TRUE(limiter.Allow(source, start + milliseconds(500)));
    EXPECT_FALSE(limiter.Allow(source, start + milliseconds(500)));
    // Another source has its own bucket.
    EXPECT_TRUE(limiter.Allow(Address(198, 51, 100, 8), start));
}

TEST_F(LookupdRateLimiterTest, ALongPauseRefillsNoMoreThanTheBurst) {
    RateLimiter limiter(RateLimits{2, 1, 16});
    const auto later = start + std::chrono::hours(1);
    EXPECT_TRUE(limiter.Allow(source, later));
    EXPECT_TRUE(limiter.Allow(source, later));
    EXPECT_FALSE(limiter.Allow(source, later));
}

TEST_F(LookupdRateLimiterTest, AFullTableMakesRoomFromQuietSourcesOnly) {
    RateLimiter limiter(RateLimits{2, 1, 2});
    // The flooded source has spent its bucket; another source is quiet after one request and a pause.
    EXPECT_TRUE(limiter.Allow(source, start));
    EXPECT_TRUE(limiter.Allow(source, start));
    EXPECT_TRUE(limiter.Allow(Address(203, 0, 113, 1), start));

    // A new source while nobody is quiet yet: refused, and the table keeps its size.
    EXPECT_FALSE(limiter.Allow(Address(203, 0, 113, 2), start + milliseconds(100)));
    EXPECT_EQ(limiter.trackedSources(), 2u);

    // Once the quiet one has refilled it gives way; the flooded source keeps its empty-ish bucket.
    const auto later = start + milliseconds(1000);
    EXPECT_TRUE(limiter.Allow(Address(203, 0, 113, 2), later));
    EXPECT_EQ(limiter.trackedSources(), 2u);
    EXPECT_TRUE(limiter.Allow(source, later));
    EXPECT_FALSE(limiter.Allow(source, later));
}

TEST_F(LookupdRateLimiterTest, OnlyAKnownSourceThatAsksNowAndThenIsQuiet) {
    RateLimiter limiter(RateLimits{10, 2, 16});
    EXPECT_FALSE(limiter.IsQuiet(source, start));  // never seen
    EXPECT_TRUE(limiter.Allow(source, start));
    EXPECT_TRUE(limiter.IsQuiet(source, start));  // one token spent
    EXPECT_TRUE(limiter.Allow(source, start));
    EXPECT_FALSE(limiter.IsQuiet(source, start));                     // two
    EXPECT_TRUE(limiter.IsQuiet(source, start + milliseconds(500)));  // one of them back
}

}  // namespace
}  // namespace quillcrest::lookupd
