#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "netconfig/adapter_method_return.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

constexpr const char* kAdapter = "{4D36E972-E325-11CE-BFC1-08002BE10318}";

// What SetDNSServerSearchOrder answers, and what the outcome must say of it.
struct AnswerCase {
    const char* name;
    std::uint32_t returnValue;
    bool refused;
    bool restartNeeded;
    const char* reason;
};

void PrintTo(const AnswerCase& row, std::ostream* out) {
    *out << row.name;
}

class AdapterMethodAnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(AdapterMethodAnswerTest, ReturnValueDecidesBetweenDoneRestartAndRefused) {
    const AnswerCase& row = GetParam();
    SCOPED_TRACE(row.name);
    DnsChangeOutcome outcome;
    AddAdapterMethodAnswer(outcome, kAdapter, row.returnValue);
    EXPECT_EQ(outcome.restartNeeded, row.restartNeeded);
    ASSERT_EQ(outcome.refusals.size(), row.refused ? 1u : 0u);
    if (row.refused) {
        EXPECT_EQ(outcome.refusals[0].settingId, kAdapter);
        EXPECT_EQ(outcome.refusals[0].returnCode, row.returnValue);
        EXPECT_EQ(outcome.refusals[0].reason, row.reason);
    }
}

const AnswerCase kAnswerCases[] = {
    {"done", 0, false, false, ""},
    {"done after a restart", 1, false, true, ""},
    {"access denied", 91, true, false, "Access denied"},
    {"ip not enabled", 84, true, false, "IP not enabled on adapter"},
    {"invalid address", 70, true, false, "Invalid IP address"},
    {"not supported on this platform", 64, true, false, "Method not supported on this platform"},
    {"undocumented", 99, true, false, "The adapter refused the change (code 99)"},
    {"no answer at all", kAdapterMethodCallFailed, true, false, "The adapter's configuration method failed"},
};

INSTANTIATE_TEST_SUITE_P(Table, AdapterMethodAnswerTest, ::testing::ValuesIn(kAnswerCases), fakes::RowName<AnswerCase>);

// The answers of several adapters of one change add up: a later success takes no refusal back, and one restart is
// enough for the whole change to need it.
TEST(AdapterMethodAnswersTest, AnswersOfSeveralAdaptersAddUp) {
    DnsChangeOutcome outcome;
    AddAdapterMethodAnswer(outcome, "{A}", 91);
    AddAdapterMethodAnswer(outcome, "{B}", 1);
    AddAdapterMethodAnswer(outcome, "{C}", 0);
    AddAdapterMethodAnswer(outcome, "{D}", 70);
    EXPECT_TRUE(outcome.restartNeeded);
    ASSERT_EQ(outcome.refusals.size(), 2u);
    EXPECT_EQ(outcome.refusals[0].settingId, "{A}");
    EXPECT_EQ(outcome.refusals[1].settingId, "{D}");
}

}  // namespace
}  // namespace quillcrest
