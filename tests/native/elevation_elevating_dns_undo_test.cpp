#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "elevation/action_exit_code.h"
#include "elevation/elevating_dns_undo.h"
#include "resolution/undo_confirmation.h"
#include "resolution/undo_outcome_code.h"
#include "resolution/undo_report.h"
#include "support/elevation_fakes.h"
#include "support/resolution_fake_undo_actions.h"
#include "support/resolution_undo_scenario.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using fakes::FakeActionLauncher;
using fakes::FakeProcessElevation;
using fakes::FakeProgramProtection;
using fakes::FakeUndoActions;
using fakes::UndoScenario;
using Behaviour = FakeActionLauncher::Behaviour;

constexpr char kHostsPath[] = "C:\\Windows\\System32\\drivers\\etc\\hosts";

// The outcome the elevated run reports: every item done but the hosts file, held open by another program.
UndoOutcome HostsFileInUse(const UndoPlan& plan) {
    UndoOutcome outcome;
    for (const UndoItem& item : plan.items) {
        const bool hosts = std::holds_alternative<RestoreHostsFile>(item.action);
        outcome.items.push_back(hosts ? UndoItemOutcome{UndoRefusal::FileInUse, 0} : UndoItemOutcome{});
    }
    return outcome;
}

// The exit code of the elevated run that carried out every item of plan.
std::uint32_t AllDoneExit(const UndoPlan& plan) {
    return ActionExitForUndoOutcome(
        UndoOutcomeCode(plan, UndoOutcome{std::vector<UndoItemOutcome>(plan.items.size())}));
}

// "Undo" on the alert as the program's rights and folder decide: what this process asked and changed, the runs it
// started, and the report it gives.
struct RouteRow {
    const char* name;
    bool elevated;
    bool programProtected;
    // The stored baseline file as the elevated run would read it: the scenario's baseline, or none.
    bool baselineStored;
    // The settings now: the scenario's changed ones, or its baseline.
    bool changed;
    bool answerYes;
    // What the elevated run answers, given the plan this process makes.
    std::function<std::uint32_t(const UndoPlan&)> runAnswer;
    // Expected: the question asked in this process, the steps made in it, the runs, the report.
    bool asks;
    std::vector<std::string> steps;
    std::vector<std::string> runs;
    std::function<std::optional<std::string>(const UndoPlan&)> report;
};

void PrintTo(const RouteRow& row, std::ostream* out) {
    *out << row.name;
}

std::vector<std::string> ScenarioSteps() {
    return {"set-servers {E1000000-0000-4000-8000-000000000001} fd00::53",
            "delete-key SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient\\DnsPolicyConfig\\{P}",
            "delete-key SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters\\DnsPolicyConfig\\{L}",
            std::string("replace-hosts ") + kHostsPath + " 21 bytes"};
}

std::vector<RouteRow> RouteRows() {
    const auto noRun = [](const UndoPlan&) { return 0u; };
    const auto reportAllDone = [](const UndoPlan& plan) -> std::optional<std::string> {
        return UndoReportText(plan, UndoOutcome{std::vector<UndoItemOutcome>(plan.items.size())});
    };
    const auto reportHostsInUse = [](const UndoPlan& plan) -> std::optional<std::string> {
        return UndoReportText(plan, HostsFileInUse(plan));
    };
    const std::vector<std::string> undoRun = {"/undo-dns-changes"};
    const auto nothingDiffers = [](const UndoPlan&) -> std::optional<std::string> {
        return "Nothing was put back: the DNS settings no longer differ from the baseline.";
    };
    return {
        {"Elevated_asks_and_puts_back_itself",
         true,
         true,
         true,
         true,
         true,
         noRun,
         true,
         ScenarioSteps(),
         {},
         reportAllDone},
        {"Elevated_answered_No_changes_nothing",
         true,
         true,
         true,
         true,
         false,
         noRun,
         true,
         {},
         {},
         [](const UndoPlan&) { return std::nullopt; }},
        {"Elevated_with_nothing_different_does_not_ask",
         true,
         true,
         true,
         false,
         true,
         noRun,
         false,
         {},
         {},
         nothingDiffers},
        {"Unelevated_unprotected_starts_nothing",
         false,
         false,
         true,
         true,
         true,
         noRun,
         false,
         {},
         {},
         [](const UndoPlan&) -> std::optional<std::string> { return kUndoNeedsAdministratorText; }},
        {"Unelevated_protected_reports_the_runs_outcome",
         false,
         true,
         true,
         true,
         true,
         [](const UndoPlan& plan) { return ActionExitForUndoOutcome(UndoOutcomeCode(plan, HostsFileInUse(plan))); },
         false,
         {},
         undoRun,
         reportHostsInUse},
        {"Unelevated_protected_all_done",
         false,
         true,
         true,
         true,
         true,
         AllDoneExit,
         false,
         {},
         undoRun,
         reportAllDone},
        // The run made another plan: the settings changed in between; nothing is named as put back.
        {"Run_answering_for_another_plan",
         false,
         true,
         true,
         true,
         true,
         [](const UndoPlan& plan) {
             UndoPlan other = plan;
             other.items.pop_back();
             return AllDoneExit(other);
         },
         false,
         {},
         undoRun,
         [](const UndoPlan&) -> std::optional<std::string> { return kUndoOutcomeUnknownText; }},
        {"Run_finding_nothing_to_put_back",
         false,
         true,
         true,
         true,
         true,
         [](const UndoPlan&) { return ActionExitForUndoNotReady(PreparedUndo::Status::NothingToPutBack); },
         false,
         {},
         undoRun,
         nothingDiffers},
        {"No_stored_baseline_starts_nothing",
         false,
         true,
         false,
         true,
         true,
         noRun,
         false,
         {},
         {},
         [](const UndoPlan&) -> std::optional<std::string> {
             return "Nothing was put back: there is no stored baseline (DNSBaseline.txt beside the program) to put "
                    "back.";
         }},
    };
}

// A program whose rights, folder, stored baseline and settings a test sets.
class UndoRouteFixture : public ::testing::Test {
  protected:
    UndoRouteFixture() : elevated_(elevation_, protection_, launcher_, nullptr) {}

    ElevatingDnsUndo Route(bool answerYes) {
        return ElevatingDnsUndo({elevated_, actions_, [this] { return current_; }, [this] { return storedBaseline_; },
                                 [this, answerYes](const std::string& question) {
                                     questions_.push_back(question);
                                     return answerYes;
                                 }});
    }

    const UndoScenario scenario_;
    FakeProcessElevation elevation_;
    FakeProgramProtection protection_;
    FakeActionLauncher launcher_;
    ElevatedActions elevated_;
    FakeUndoActions actions_;
    ResolutionSettings current_;
    DnsBaselineReading storedBaseline_;
    std::vector<std::string> questions_;
};

class ElevatingDnsUndoTest : public UndoRouteFixture, public ::testing::WithParamInterface<RouteRow> {};

TEST_P(ElevatingDnsUndoTest, AsksOnceCarriesOutOnceAndReportsWhatWasDone) {
    const RouteRow& row = GetParam();
    SCOPED_TRACE(row.name);
    elevation_.elevated = row.elevated;
    if (!row.programProtected)
        protection_.MakeUnprotected();
    current_ = row.changed ? scenario_.current : scenario_.baseline;
    if (row.baselineStored)
        storedBaseline_ = {DnsBaselineStatus::Read, scenario_.baseline, {}};
    launcher_.answer = [&row, this](const std::string&) { return row.runAnswer(scenario_.plan); };

    const std::optional<std::string> report = Route(row.answerYes).Undo(scenario_.baseline);

    EXPECT_EQ(questions_.size(), row.asks ? 1u : 0u);
    if (row.asks && !questions_.empty()) {
        EXPECT_EQ(questions_[0], UndoConfirmationText(scenario_.plan));
    }
    EXPECT_EQ(actions_.steps, row.steps);
    EXPECT_EQ(launcher_.runs, row.runs);
    EXPECT_EQ(report, row.report(scenario_.plan));
}

INSTANTIATE_TEST_SUITE_P(Routes, ElevatingDnsUndoTest, ::testing::ValuesIn(RouteRows()), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

// Answers that are not an "Undo" outcome never become a report of settings put back.
struct FailedRunRow {
    const char* name;
    Behaviour launch;
    std::uint32_t exitCode;
    bool declined;
};

void PrintTo(const FailedRunRow& row, std::ostream* out) {
    *out << row.name;
}

const FailedRunRow kFailedRunRows[] = {
    {"Consent_prompt_declined", Behaviour::kDeclined, 0, true},
    {"Declined_in_the_runs_own_window", Behaviour::kRuns, ActionExitForDeclinedInWindow(), true},
    {"Run_not_started", Behaviour::kFailsToStart, 0, false},
    {"Run_refused_in_an_unprotected_folder", Behaviour::kRuns, ActionExitForError(5), false},
    // A DNS change's "done" is not the answer of an undo.
    {"Run_answering_as_a_dns_change", Behaviour::kRuns, kActionExitDone, false},
    {"Run_crashed", Behaviour::kRuns, 0xC0000005, false},
};

class ElevatingDnsUndoFailedRunTest : public UndoRouteFixture, public ::testing::WithParamInterface<FailedRunRow> {};

TEST_P(ElevatingDnsUndoFailedRunTest, RaisesAndReportsNothingAsPutBack) {
    const FailedRunRow& row = GetParam();
    SCOPED_TRACE(row.name);
    current_ = scenario_.current;
    storedBaseline_ = {DnsBaselineStatus::Read, scenario_.baseline, {}};
    launcher_.behaviour = row.launch;
    launcher_.answer = [&row](const std::string&) { return row.exitCode; };
    ElevatingDnsUndo route = Route(true);
    if (row.declined)
        EXPECT_THROW(route.Undo(scenario_.baseline), EElevationDeclined);
    else
        EXPECT_THROW(route.Undo(scenario_.baseline), Exception);
    EXPECT_EQ(launcher_.runs.size(), 1u);
    EXPECT_TRUE(actions_.steps.empty());
    EXPECT_TRUE(questions_.empty());
}

INSTANTIATE_TEST_SUITE_P(Answers,
                         ElevatingDnsUndoFailedRunTest,
                         ::testing::ValuesIn(kFailedRunRows),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

}  // namespace
}  // namespace quillcrest
