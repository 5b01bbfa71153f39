#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "elevation/action_exit_code.h"
#include "elevation/elevating_run_value.h"
#include "startup/run_value_switch.h"
#include "support/elevation_fakes.h"
#include "support/row_name.h"
#include "support/startup_fake_run_value_store.h"

namespace quillcrest {
namespace {

using fakes::FakeActionLauncher;
using fakes::FakeProcessElevation;
using fakes::FakeProgramProtection;
using fakes::FakeRunValueStore;
using Behaviour = FakeActionLauncher::Behaviour;

constexpr char kOtherCopy[] = "C:\\Old\\Quillcrest.exe";

// One release of the monitor box: the process's rights, the value before, how an elevated run goes, and what
// must follow: the runs asked for, the in-process writes, the message to the user.
struct BoxCase {
    const char* name;
    bool ticked;
    bool elevated;
    std::optional<std::string> storedBefore;
    Behaviour launch;
    std::uint32_t runExitCode;
    std::optional<std::string> inProcessRefusal;
    std::vector<std::string> expectedRuns;
    int expectedInProcessChanges;
    std::optional<std::string> expectedMessage;
    bool programUnprotected = false;
};

const std::vector<BoxCase>& BoxCases() {
    static const std::vector<BoxCase> cases = {
        {"tick unelevated writes through one elevated run",
         true,
         false,
         std::nullopt,
         Behaviour::kRuns,
         kActionExitDone,
         std::nullopt,
         {"/write-run-value"},
         0,
         std::nullopt},
        {"tick over another copy's value also writes",
         true,
         false,
         std::string(kOtherCopy),
         Behaviour::kRuns,
         kActionExitDone,
         std::nullopt,
         {"/write-run-value"},
         0,
         std::nullopt},
        {"tick with the value in place asks nothing",
         true,
         false,
         std::string(FakeRunValueStore::kThisProgram),
         Behaviour::kRuns,
         kActionExitDone,
         std::nullopt,
         {},
         0,
         std::nullopt},
        {"tick declined says so once",
         true,
         false,
         std::nullopt,
         Behaviour::kDeclined,
         kActionExitDone,
         std::nullopt,
         {"/write-run-value"},
         0,
         std::string(kWatchWithoutStartPrefix) + kElevationDeclinedMessage},
        {"tick refused by the elevated run gives the system's reason",
         true,
         false,
         std::nullopt,
         Behaviour::kRuns,
         ActionExitForError(5),
         std::nullopt,
         {"/write-run-value"},
         0,
         std::string(kWatchWithoutStartPrefix) + "Access is denied."},
        {"tick when the run cannot start",
         true,
         false,
         std::nullopt,
         Behaviour::kFailsToStart,
         kActionExitDone,
         std::nullopt,
         {"/write-run-value"},
         0,
         std::string(kWatchWithoutStartPrefix) + "The service cannot be started"},
        {"tick elevated writes in-process",
         true,
         true,
         std::nullopt,
         Behaviour::kRuns,
         kActionExitDone,
         std::nullopt,
         {},
         1,
         std::nullopt},
        {"tick elevated refused in-process",
         true,
         true,
         std::nullopt,
         Behaviour::kRuns,
         kActionExitDone,
         std::string("Access is denied."),
         {},
         1,
         std::string(kWatchWithoutStartPrefix) + "Access is denied."},
        {"untick with no value asks and says nothing",
         false,
         false,
         std::nullopt,
         Behaviour::kDeclined,
         kActionExitDone,
         std::nullopt,
         {},
         0,
         std::nullopt},
        {"untick elevated with no value touches nothing",
         false,
         true,
         std::nullopt,
         Behaviour::kRuns,
         kActionExitDone,
         std::string("Access is denied."),
         {},
         0,
         std::nullopt},
        {"untick unelevated deletes through one run",
         false,
         false,
         std::string(FakeRunValueStore::kThisProgram),
         Behaviour::kRuns,
         kActionExitDone,
         std::nullopt,
         {"/delete-run-value"},
         0,
         std::nullopt},
        {"untick declined says the program still starts",
         false,
         false,
         std::string(FakeRunValueStore::kThisProgram),
         Behaviour::kDeclined,
         kActionExitDone,
         std::nullopt,
         {"/delete-run-value"},
         0,
         std::string(kStillStartsPrefix) + kElevationDeclinedMessage},
        {"untick elevated deletes in-process",
         false,
         true,
         std::string(kOtherCopy),
         Behaviour::kRuns,
         kActionExitDone,
         std::nullopt,
         {},
         1,
         std::nullopt},
        {"tick unelevated in an unprotected folder starts nothing and says why",
         true,
         false,
         std::nullopt,
         Behaviour::kRuns,
         kActionExitDone,
         std::nullopt,
         {},
         0,
         std::string(kWatchWithoutStartPrefix) + UnprotectedProgramMessage(FakeProgramProtection::kReason),
         true},
        {"untick unelevated in an unprotected folder starts nothing and says why",
         false,
         false,
         std::string(FakeRunValueStore::kThisProgram),
         Behaviour::kRuns,
         kActionExitDone,
         std::nullopt,
         {},
         0,
         std::string(kStillStartsPrefix) + UnprotectedProgramMessage(FakeProgramProtection::kReason),
         true},
        {"tick elevated in an unprotected folder writes in-process",
         true,
         true,
         std::nullopt,
         Behaviour::kRuns,
         kActionExitDone,
         std::nullopt,
         {},
         1,
         std::nullopt,
         true},
    };
    return cases;
}

class RunValueSwitchTest : public ::testing::TestWithParam<BoxCase> {};

TEST_P(RunValueSwitchTest, ValueFollowsTheBoxWhereItCanAndSaysOnceWhereItCannot) {
    const BoxCase& row = GetParam();
    SCOPED_TRACE(row.name);
    FakeRunValueStore store;
    store.stored = row.storedBefore;
    store.refuseWith = row.inProcessRefusal;
    FakeProcessElevation elevation;
    elevation.elevated = row.elevated;
    FakeProgramProtection protection;
    if (row.programUnprotected)
        protection.MakeUnprotected();
    FakeActionLauncher launcher;
    launcher.behaviour = row.launch;
    launcher.answer = [&row](const std::string&) { return row.runExitCode; };
    const SystemMessageLookup systemMessage = [](std::uint32_t code) {
        return code == 5 ? std::string("Access is denied.") : std::string();
    };
    ElevatedActions elevated(elevation, protection, launcher, systemMessage);
    ElevatingRunValue withRights(elevated);
    RunValueSwitch runValue(store, withRights);

    EXPECT_EQ(runValue.OnBoxReleased(row.ticked), row.expectedMessage);
    EXPECT_EQ(launcher.runs, row.expectedRuns);
    EXPECT_EQ(store.writes + store.deletes, row.expectedInProcessChanges);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         RunValueSwitchTest,
                         ::testing::ValuesIn(BoxCases()),
                         [](const ::testing::TestParamInfo<BoxCase>& info) { return fakes::RowName(info.param.name); });

// Hiding to the tray follows the box without a prompt and without a word, however often it happens.
TEST(RunValueSwitchQuietTest, HidingNeverPromptsAndWritesOnlyWhenElevated) {
    FakeRunValueStore store;
    FakeProcessElevation elevation;
    FakeProgramProtection protection;
    FakeActionLauncher launcher;
    ElevatedActions elevated(elevation, protection, launcher, nullptr);
    ElevatingRunValue withRights(elevated);
    RunValueSwitch runValue(store, withRights);

    for (int hide = 0; hide < 3; ++hide)
        runValue.FollowBoxQuietly(true);
    EXPECT_TRUE(launcher.runs.empty());
    EXPECT_EQ(store.writes, 0);

    elevation.elevated = true;
    store.refuseWith = "Access is denied.";
    EXPECT_NO_THROW(runValue.FollowBoxQuietly(true));
    EXPECT_EQ(store.writes, 1);
    store.refuseWith.reset();
    runValue.FollowBoxQuietly(true);
    EXPECT_EQ(store.stored, std::string(FakeRunValueStore::kThisProgram));
    runValue.FollowBoxQuietly(false);
    EXPECT_FALSE(store.stored);
    EXPECT_TRUE(launcher.runs.empty());
}

}  // namespace
}  // namespace quillcrest
