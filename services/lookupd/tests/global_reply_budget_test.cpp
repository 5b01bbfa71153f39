#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "global_reply_budget.h"

namespace quillcrest::lookupd {
namespace {

using std::chrono::milliseconds;

// One call on the budget: a reservation at a moment after the start (or a refund), and what it must answer.
struct BudgetStep {
    enum class Kind { Reserve, Refund };
    Kind kind;
    milliseconds at;
    std::size_t bytes;
    bool quietSource;
    bool granted;
};

BudgetStep Reserve(milliseconds at, std::size_t bytes, bool quietSource, bool granted) {
    return {BudgetStep::Kind::Reserve, at, bytes, quietSource, granted};
}
BudgetStep Refund(std::size_t bytes) {
    return {BudgetStep::Kind::Refund, milliseconds(0), bytes, false, true};
}

struct BudgetCase {
    const char* name;
    std::vector<BudgetStep> steps;  // on a budget of 1000 bytes a second
};

void PrintTo(const BudgetCase& row, std::ostream* out) {
    *out << row.name;
}

class LookupdGlobalReplyBudgetTest : public ::testing::TestWithParam<BudgetCase> {};

TEST_P(LookupdGlobalReplyBudgetTest, GrantsWhatTheBudgetHolds) {
    const BudgetCase& row = GetParam();
    SCOPED_TRACE(row.name);
    GlobalReplyBudget budget(1000);
    const auto start = GlobalReplyBudget::Clock::now();
    for (std::size_t i = 0; i < row.steps.size(); ++i) {
        const BudgetStep& step = row.steps[i];
        SCOPED_TRACE("step " + std::to_string(i + 1));
        if (step.kind == BudgetStep::Kind::Refund)
            budget.Refund(step.bytes);
        else
            EXPECT_EQ(budget.Reserve(step.bytes, step.quietSource, start + step.at), step.granted);
    }
}

const milliseconds kHour = std::chrono::hours(1);

INSTANTIATE_TEST_SUITE_P(
    Sequences,
    LookupdGlobalReplyBudgetTest,
    ::testing::ValuesIn(std::vector<BudgetCase>{
        {"RefillsAtItsRateAndKeepsTheLastShareForQuietSources",
         {
             // A busy source may spend all but the quiet share (100 of 1000 bytes).
             Reserve(milliseconds(0), 850, false, true),
             Reserve(milliseconds(0), 100, false, false),
             Reserve(milliseconds(0), 100, true, true),
             Reserve(milliseconds(0), 100, true, false),
             // 1000 bytes a second: 300 back after 300 ms, and what a reply did not use comes back at once.
             Reserve(milliseconds(300), 240, false, true),  // 50 left + 300 back
             Reserve(milliseconds(300), 50, false, false),
             Refund(150),
             Reserve(milliseconds(300), 150, false, true),
             // Never more than one second's worth, however long the pause.
             Reserve(kHour, 1000, true, true),
             Reserve(kHour, 1, true, false),
         }},
        {"TimeGoingBackwardsNeverRefillsTwice",
         {
             Reserve(milliseconds(1000), 1000, true, true),
             // Requests handled on other threads may carry earlier moments: they refill nothing.
             Reserve(milliseconds(500), 1, true, false),
             // Back at the moment of the last refill: that half second was not given back a second time.
             Reserve(milliseconds(1000), 400, true, false),
         }},
    }),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillcrest::lookupd
