#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "resolution/undo_outcome_code.h"
#include "support/resolution_undo_scenario.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

// The scenario's items: 0 adapter servers, 1 policy rule, 2 local rule, 3 hosts file.
struct CodeRow {
    const char* name;
    std::vector<UndoItemOutcome> outcomes;
    // What reads back: reasons without their error codes; a group's different reasons as Failed.
    std::vector<UndoItemOutcome> readBack;
};

void PrintTo(const CodeRow& row, std::ostream* out) {
    *out << row.name;
}

const UndoItemOutcome kDone{};

std::vector<CodeRow> CodeRows() {
    const UndoItemOutcome denied{UndoRefusal::AccessDenied, 0};
    const UndoItemOutcome failed{UndoRefusal::Failed, 0};
    auto hostsRefused = [](UndoRefusal refusal, std::uint32_t code) {
        return CodeRow{"", {kDone, kDone, kDone, {refusal, code}}, {kDone, kDone, kDone, {refusal, 0}}};
    };
    std::vector<CodeRow> rows = {
        {"All_done", {kDone, kDone, kDone, kDone}, {kDone, kDone, kDone, kDone}},
        {"Servers_function_missing_and_one_rule_denied",
         {{UndoRefusal::FunctionMissing, 0}, {UndoRefusal::AccessDenied, 5}, kDone, kDone},
         {{UndoRefusal::FunctionMissing, 0}, denied, kDone, kDone}},
        {"Servers_denied", {{UndoRefusal::AccessDenied, 5}, kDone, kDone, kDone}, {denied, kDone, kDone, kDone}},
        {"Servers_failed", {{UndoRefusal::Failed, 87}, kDone, kDone, kDone}, {failed, kDone, kDone, kDone}},
        {"Both_rules_denied",
         {kDone, {UndoRefusal::AccessDenied, 5}, {UndoRefusal::AccessDenied, 5}, kDone},
         {kDone, denied, denied, kDone}},
        {"Rules_refused_for_different_reasons_read_back_as_failed",
         {kDone, {UndoRefusal::AccessDenied, 5}, {UndoRefusal::Failed, 1018}, kDone},
         {kDone, failed, failed, kDone}},
        {"Everything_refused",
         {{UndoRefusal::FunctionMissing, 0},
          {UndoRefusal::Failed, 1018},
          {UndoRefusal::Failed, 1018},
          {UndoRefusal::FileInUse, 32}},
         {{UndoRefusal::FunctionMissing, 0}, failed, failed, {UndoRefusal::FileInUse, 0}}},
    };
    const struct {
        const char* name;
        UndoRefusal refusal;
    } hostsReasons[] = {
        {"Hosts_file_in_use", UndoRefusal::FileInUse},
        {"Hosts_file_denied", UndoRefusal::AccessDenied},
        {"Hosts_file_not_the_one_in_use", UndoRefusal::NotTheHostsFileInUse},
        {"Hosts_file_location_not_put_back", UndoRefusal::LocationNotPutBack},
        {"Hosts_file_security_not_kept", UndoRefusal::SecurityNotKept},
        {"Hosts_file_failed", UndoRefusal::Failed},
    };
    for (const auto& reason : hostsReasons) {
        rows.push_back(hostsRefused(reason.refusal, 32));
        rows.back().name = reason.name;
    }
    return rows;
}

class ResolutionUndoOutcomeCodeTest : public ::testing::TestWithParam<CodeRow> {};

TEST_P(ResolutionUndoOutcomeCodeTest, ReadsBackAgainstTheSamePlan) {
    const CodeRow& row = GetParam();
    SCOPED_TRACE(row.name);
    const fakes::UndoScenario scenario;
    const std::uint32_t code = UndoOutcomeCode(scenario.plan, UndoOutcome{row.outcomes});
    EXPECT_EQ(code >> kUndoOutcomeCodeBits, 0u) << "it fits in the exit code's detail bits";
    const std::optional<UndoOutcome> read = ReadUndoOutcomeCode(code, scenario.plan);
    ASSERT_TRUE(read.has_value()) << std::hex << code;
    EXPECT_EQ(read->items, row.readBack);
}

INSTANTIATE_TEST_SUITE_P(Outcomes,
                         ResolutionUndoOutcomeCodeTest,
                         ::testing::ValuesIn(CodeRows()),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

// A number is read only against the plan it was made for, and only in the forms an outcome gives.
TEST(ResolutionUndoOutcomeCodeCheckTest, RefusesNumbersNoOutcomeOfThePlanGives) {
    const fakes::UndoScenario scenario;
    const UndoOutcome hostsInUse{{kDone, kDone, kDone, {UndoRefusal::FileInUse, 32}}};
    const std::uint32_t code = UndoOutcomeCode(scenario.plan, hostsInUse);
    const std::uint32_t hostsItem = 1u << 3;
    const std::uint32_t hostsReason = 0x7u << 16;
    const std::uint32_t registryReason = 0x3u << 14;

    UndoPlan otherPlan = scenario.plan;
    otherPlan.items[2].setting = "name resolution rule \".other.example\" (\"local rules\")";
    EXPECT_FALSE(ReadUndoOutcomeCode(code, otherPlan)) << "another plan's digest";
    UndoPlan shorterPlan = scenario.plan;
    shorterPlan.items.pop_back();
    EXPECT_FALSE(ReadUndoOutcomeCode(code, shorterPlan)) << "a plan without the hosts item";
    EXPECT_FALSE(ReadUndoOutcomeCode(code & ~hostsItem, scenario.plan)) << "a reason without a refused item";
    EXPECT_FALSE(ReadUndoOutcomeCode(code & ~hostsReason, scenario.plan)) << "a refused item without a reason";
    EXPECT_FALSE(ReadUndoOutcomeCode(code | hostsReason, scenario.plan)) << "a reason no outcome has";
    EXPECT_FALSE(ReadUndoOutcomeCode(code | registryReason, scenario.plan)) << "a reason for no refused rule";
    EXPECT_FALSE(ReadUndoOutcomeCode(code | (1u << 4), scenario.plan)) << "a bit beyond the items";
    EXPECT_FALSE(ReadUndoOutcomeCode(code | (1u << kUndoOutcomeCodeBits), scenario.plan)) << "beyond 24 bits";
}

}  // namespace
}  // namespace quillcrest
