#include <gtest/gtest.h>

#include <chrono>

#include "global_reply_budget.h"

namespace quillcrest::lookupd {
namespace {

using std::chrono::milliseconds;

TEST(LookupdGlobalReplyBudgetTest, RefillsAtItsRateAndKeepsTheLastShareForQuietSources) {
    GlobalReplyBudget budget(1000);
    const auto start = GlobalReplyBudget::Clock::now();

    // A busy source may spend all but the quiet share (100 of 1000 bytes).
    EXPECT_TRUE(budget.Reserve(850, false, start));
    EXPECT_FALSE(budget.Reserve(100, false, start));
    EXPECT_TRUE(budget.Reserve(100, true, start));
    EXPECT_FALSE(budget.Reserve(100, true, start));

    // 1000 bytes a second: 300 back after 300 ms, and what a reply did not use comes back at once.
    EXPECT_TRUE(budget.Reserve(240, false, start + milliseconds(300)));  // 50 left + 300 back
    EXPECT_FALSE(budget.Reserve(50, false, start + milliseconds(300)));
    budget.Refund(150);
    EXPECT_TRUE(budget.Reserve(150, false, start + milliseconds(300)));

    // Never more than one second's worth, however long the pause.
    EXPECT_TRUE(budget.Reserve(1000, true, start + std::chrono::hours(1)));
    EXPECT_FALSE(budget.Reserve(1, true, start + std::chrono::hours(1)));
}

}  // namespace
}  // namespace quillcrest::lookupd
