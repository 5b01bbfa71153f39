#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "elevation/action_exit_code.h"
#include "elevation/action_launcher.h"
#include "elevation/privileged_action.h"
#include "netconfig/adapter_method_return.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

const std::vector<DnsAssignment> kThreeAdapters = {
    {"{AAAAAAAA-0000-0000-0000-000000000001}", {"10.0.0.1"}},
    {"{AAAAAAAA-0000-0000-0000-000000000002}", {}},
    {"{AAAAAAAA-0000-0000-0000-000000000003}", {"10.0.0.3", "10.0.0.4"}},
};

AdapterRefusal Refusal(std::size_t entry, std::uint32_t code) {
    return {kThreeAdapters[entry].settingId, code, AdapterMethodReturnText(code)};
}

// An outcome of the elevated run, and what the window must read back from its exit code.
struct OutcomeCase {
    const char* name;
    DnsChangeOutcome outcome;
    std::vector<std::string> refusedIds;
    std::vector<std::string> reasons;
    bool restartNeeded;
};

const std::vector<OutcomeCase>& OutcomeCases() {
    static const std::vector<OutcomeCase> cases = {
        {"all changed", {}, {}, {}, false},
        {"all changed, restart needed", {{}, true}, {}, {}, true},
        {"one refused access", {{Refusal(1, 91)}, false}, {kThreeAdapters[1].settingId}, {"Access denied"}, false},
        {"two of three refused alike",
         {{Refusal(0, 84), Refusal(2, 84)}, false},
         {kThreeAdapters[0].settingId, kThreeAdapters[2].settingId},
         {"IP not enabled on adapter", "IP not enabled on adapter"},
         false},
        {"two refused for different reasons",
         {{Refusal(0, 70), Refusal(1, 91)}, false},
         {kThreeAdapters[0].settingId, kThreeAdapters[1].settingId},
         {"The adapter refused the change (the adapters gave different reasons)",
          "The adapter refused the change (the adapters gave different reasons)"},
         false},
        {"method call raised",
         {{Refusal(2, kAdapterMethodCallFailed)}, false},
         {kThreeAdapters[2].settingId},
         {"The adapter's configuration method failed"},
         false},
        {"undocumented large value",
         {{Refusal(0, 2147483648u)}, false},
         {kThreeAdapters[0].settingId},
         {"The adapter refused the change"},
         false},
        {"method not available",
         {{Refusal(0, kAdapterMethodMissing), Refusal(2, kAdapterMethodMissing)}, false},
         {kThreeAdapters[0].settingId, kThreeAdapters[2].settingId},
         {"Windows could not change them, because the method is not available on this system",
          "Windows could not change them, because the method is not available on this system"},
         false},
        {"method not available beside a failed call",
         {{Refusal(0, kAdapterMethodMissing), Refusal(1, kAdapterMethodCallFailed)}, false},
         {kThreeAdapters[0].settingId, kThreeAdapters[1].settingId},
         {"The adapter refused the change (the adapters gave different reasons)",
          "The adapter refused the change (the adapters gave different reasons)"},
         false},
        // Values that mean "done" cannot stand for a refusal in the code; the refusal still comes back as one.
        {"refusal with the value for done",
         {{Refusal(1, kAdapterMethodDone)}, false},
         {kThreeAdapters[1].settingId},
         {"The adapter refused the change"},
         false},
        {"refusal with the value for done after a restart",
         {{Refusal(2, kAdapterMethodDoneRestartNeeded)}, false},
         {kThreeAdapters[2].settingId},
         {"The adapter refused the change"},
         false},
    };
    return cases;
}

void PrintTo(const OutcomeCase& row, std::ostream* out) {
    *out << row.name;
}

class ActionExitOutcomeTest : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(ActionExitOutcomeTest, ExitCodeCarriesWhichAdaptersRefusedAndWhy) {
    const OutcomeCase& row = GetParam();
    SCOPED_TRACE(row.name);
    const std::uint32_t code = ActionExitForDnsOutcome(kThreeAdapters, row.outcome);
    EXPECT_EQ(code & 0x80000000u, 0u) << "never mistaken for a crash";
    const ActionExit exit = ReadActionExit(code, kThreeAdapters);
    ASSERT_EQ(exit.kind, row.refusedIds.empty() ? ActionExit::Kind::kDone : ActionExit::Kind::kRefusals);
    EXPECT_EQ(exit.outcome.restartNeeded, row.restartNeeded);
    std::vector<std::string> ids;
    std::vector<std::string> reasons;
    for (const AdapterRefusal& refusal : exit.outcome.refusals) {
        ids.push_back(refusal.settingId);
        reasons.push_back(refusal.reason);
    }
    EXPECT_EQ(ids, row.refusedIds);
    EXPECT_EQ(reasons, row.reasons);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         ActionExitOutcomeTest,
                         ::testing::ValuesIn(OutcomeCases()),
                         [](const ::testing::TestParamInfo<OutcomeCase>& info) {
                             return fakes::RowName(info.param.name);
                         });

TEST(ActionExitTest, LastAdapterOfAFullRunHasItsBit) {
    std::vector<DnsAssignment> full;
    for (std::size_t i = 0; i < kMostActionAssignments; ++i)
        full.push_back({"{AAAAAAAA-0000-0000-0000-0000000000" + std::to_string(10 + i) + "}", {}});
    const DnsChangeOutcome outcome{{{full.back().settingId, 91, "Access denied"}}, false};
    const ActionExit exit = ReadActionExit(ActionExitForDnsOutcome(full, outcome), full);
    ASSERT_EQ(exit.kind, ActionExit::Kind::kRefusals);
    ASSERT_EQ(exit.outcome.refusals.size(), 1u);
    EXPECT_EQ(exit.outcome.refusals[0].settingId, full.back().settingId);
}

struct ErrorCase {
    const char* name;
    std::uint32_t errorCode;
    std::uint32_t readBack;
};

class ActionExitErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ActionExitErrorTest, ErrorCodesComeBackWhole) {
    const ErrorCase& row = GetParam();
    SCOPED_TRACE(row.name);
    const std::uint32_t code = ActionExitForError(row.errorCode);
    EXPECT_EQ(code & 0x80000000u, 0u);
    const ActionExit exit = ReadActionExit(code);
    ASSERT_EQ(exit.kind, ActionExit::Kind::kError);
    EXPECT_EQ(exit.errorCode, row.readBack);
}

const ErrorCase kErrorCases[] = {
    {"registry access denied", 5, 5},
    {"largest win32 code", 0xFFFF, 0xFFFF},
    {"wmi access denied", 0x80041003, 0x80041003},
    {"win32 in an hresult", 0x80070005, 0x80070005},
    {"moniker failure", 0x800401EA, 0x800401EA},
    {"facility too large for the code becomes E_FAIL", 0x87FF0001, 0x80004005},
    {"large non-hresult becomes E_FAIL", 0x00123456, 0x80004005},
};

INSTANTIATE_TEST_SUITE_P(Table,
                         ActionExitErrorTest,
                         ::testing::ValuesIn(kErrorCases),
                         [](const ::testing::TestParamInfo<ErrorCase>& info) {
                             return fakes::RowName(info.param.name);
                         });

struct UnknownCase {
    const char* name;
    std::uint32_t exitCode;
};

class ActionExitUnknownTest : public ::testing::TestWithParam<UnknownCase> {};

// Codes the run cannot have given mean something went wrong: never done, never an empty list of refusals.
TEST_P(ActionExitUnknownTest, IsNeitherDoneNorRefusals) {
    const UnknownCase& row = GetParam();
    SCOPED_TRACE(row.name);
    const ActionExit exit = ReadActionExit(row.exitCode, kThreeAdapters);
    EXPECT_EQ(exit.kind, ActionExit::Kind::kUnknown);
    EXPECT_THROW(RaiseUnlessAnswered(exit, row.exitCode, nullptr), Exception);
}

const UnknownCase kUnknownCases[] = {
    {"access violation", 0xC0000005},
    {"still active", 259},
    {"done with stray bits", 0x00000001},
    {"refusal naming no adapter", 91u << 24},
    {"refusal naming a fourth adapter", (91u << 24) | 0x8},
    {"unused kind", 105u << 24},
    {"refused command line with detail", (111u << 24) | 1},
    {"declined in the window with detail", (112u << 24) | 1},
    {"method not available naming no adapter", 125u << 24},
    {"nothing to undo with detail", (114u << 24) | 1},
    {"no baseline with detail", (115u << 24) | 0x10},
    {"baseline not usable with detail", (116u << 24) | 0x800000},
};

INSTANTIATE_TEST_SUITE_P(Table,
                         ActionExitUnknownTest,
                         ::testing::ValuesIn(kUnknownCases),
                         [](const ::testing::TestParamInfo<UnknownCase>& info) {
                             return fakes::RowName(info.param.name);
                         });

TEST(ActionExitTest, RefusedCommandLineIsReportedAsSuch) {
    const std::uint32_t code = ActionExitForRefusedCommandLine();
    EXPECT_NE(code, kActionExitDone);
    const ActionExit exit = ReadActionExit(code);
    EXPECT_EQ(exit.kind, ActionExit::Kind::kRefusedCommandLine);
    EXPECT_THROW(RaiseUnlessAnswered(exit, code, nullptr), Exception);
}

// "No" in the elevated run's confirmation window changes nothing and reads as a declined consent prompt does.
TEST(ActionExitTest, DeclinedInTheWindowIsReportedAsADeclinedConsent) {
    const std::uint32_t code = ActionExitForDeclinedInWindow();
    EXPECT_EQ(code & 0x80000000u, 0u);
    EXPECT_NE(code, ActionExitForRefusedCommandLine());
    const ActionExit exit = ReadActionExit(code, kThreeAdapters);
    ASSERT_EQ(exit.kind, ActionExit::Kind::kDeclined);
    EXPECT_TRUE(exit.outcome.refusals.empty());
    try {
        RaiseUnlessAnswered(exit, code, nullptr);
        FAIL() << "a declined change must not pass for one made";
    } catch (const EElevationDeclined& error) {
        EXPECT_STREQ(error.what(), kElevationDeclinedMessage);
    }
}

// What the elevated "Undo" answers: its outcome in all 24 detail bits, or why it carried out nothing. None of it
// reads as a DNS change done, and none raises.
struct UndoExitCase {
    const char* name;
    std::uint32_t exitCode;
    ActionExit::Kind kind;
    std::uint32_t undoOutcomeCode;
    PreparedUndo::Status status;
};

class ActionExitUndoTest : public ::testing::TestWithParam<UndoExitCase> {};

TEST_P(ActionExitUndoTest, ComesBackAsTheRunAnsweredIt) {
    const UndoExitCase& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.exitCode & 0x80000000u, 0u);
    const ActionExit exit = ReadActionExit(row.exitCode);
    ASSERT_EQ(exit.kind, row.kind);
    EXPECT_TRUE(exit.outcome.refusals.empty());
    if (row.kind == ActionExit::Kind::kUndone)
        EXPECT_EQ(exit.undoOutcomeCode, row.undoOutcomeCode);
    else
        EXPECT_EQ(exit.undoStatus, row.status);
    EXPECT_NO_THROW(RaiseUnlessAnswered(exit, row.exitCode, nullptr));
}

const UndoExitCase kUndoExitCases[] = {
    {"every item done", ActionExitForUndoOutcome(0), ActionExit::Kind::kUndone, 0, {}},
    {"some refused", ActionExitForUndoOutcome(0x0A1005), ActionExit::Kind::kUndone, 0x0A1005, {}},
    {"every detail bit set", ActionExitForUndoOutcome(0xFFFFFF), ActionExit::Kind::kUndone, 0xFFFFFF, {}},
    {"nothing to put back", ActionExitForUndoNotReady(PreparedUndo::Status::NothingToPutBack),
     ActionExit::Kind::kUndoNotReady, 0, PreparedUndo::Status::NothingToPutBack},
    {"no baseline", ActionExitForUndoNotReady(PreparedUndo::Status::NoBaseline), ActionExit::Kind::kUndoNotReady, 0,
     PreparedUndo::Status::NoBaseline},
    {"baseline not usable", ActionExitForUndoNotReady(PreparedUndo::Status::BaselineNotUsable),
     ActionExit::Kind::kUndoNotReady, 0, PreparedUndo::Status::BaselineNotUsable},
};

INSTANTIATE_TEST_SUITE_P(Table,
                         ActionExitUndoTest,
                         ::testing::ValuesIn(kUndoExitCases),
                         [](const ::testing::TestParamInfo<UndoExitCase>& info) {
                             return fakes::RowName(info.param.name);
                         });

// A plan that is ready is no reason for carrying out nothing: a run that says so has failed.
TEST(ActionExitTest, UndoNotReadyBecauseReadyIsAnError) {
    const std::uint32_t code = ActionExitForUndoNotReady(PreparedUndo::Status::Ready);
    EXPECT_EQ(ReadActionExit(code).kind, ActionExit::Kind::kError);
}

TEST(ActionExitTest, ErrorTextComesFromTheSystemOrNamesTheCode) {
    const SystemMessageLookup lookup = [](std::uint32_t code) {
        return code == 5 ? std::string("Access is denied.") : std::string();
    };
    EXPECT_EQ(ActionErrorText(5, lookup), "Access is denied.");
    EXPECT_EQ(ActionErrorText(1234, lookup), "Error 1234");
    EXPECT_NE(ActionErrorText(0x80041003, lookup).find("80041003"), std::string::npos);
}

}  // namespace
}  // namespace quillcrest
