#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "elevation/action_exit_code.h"
#include "elevation/elevating_run_value.h"
#include "startup/run_value_switch.h"
#include "support/elevation_fakes.h"
#include "support/named_fields_row.h"
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
struct BoxCase : fakes::NamedFieldsRow<BoxCase> {
    explicit BoxCase(const char* rowName) : name(rowName) {}

    const char* name;
    bool ticked = false;
    bool elevated = false;
    std::optional<std::string> storedBefore;
    Behaviour launch = Behaviour::kRuns;
    std::uint32_t runExitCode = kActionExitDone;
    std::optional<std::string> inProcessRefusal;
    std::vector<std::string> expectedRuns;
    int expectedInProcessChanges = 0;
    std::optional<std::string> expectedMessage;
    bool programUnprotected = false;

    BoxCase& Ticked(bool yes) { return Set(&BoxCase::ticked, yes); }
    BoxCase& Elevated(bool yes) { return Set(&BoxCase::elevated, yes); }
    BoxCase& StoredBefore(std::string value) { return Set(&BoxCase::storedBefore, std::move(value)); }
    BoxCase& Launch(Behaviour behaviour) { return Set(&BoxCase::launch, behaviour); }
    BoxCase& RunExitCode(std::uint32_t code) { return Set(&BoxCase::runExitCode, code); }
    BoxCase& InProcessRefusal(std::string reason) { return Set(&BoxCase::inProcessRefusal, std::move(reason)); }
    BoxCase& ExpectedRuns(std::vector<std::string> runs) { return Set(&BoxCase::expectedRuns, std::move(runs)); }
    BoxCase& ExpectedInProcessChanges(int count) { return Set(&BoxCase::expectedInProcessChanges, count); }
    BoxCase& ExpectedMessage(std::string text) { return Set(&BoxCase::expectedMessage, std::move(text)); }
    BoxCase& ProgramUnprotected(bool yes) { return Set(&BoxCase::programUnprotected, yes); }
};

const std::vector<BoxCase>& BoxCases() {
    static const std::vector<BoxCase> cases = {
        BoxCase("tick unelevated writes through one elevated run")
            .Ticked(true)
            .ExpectedRuns({"/write-run-value"})
            .ExpectedInProcessChanges(0),
        BoxCase("tick over another copy's value also writes")
            .Ticked(true)
            .StoredBefore(std::string(kOtherCopy))
            .ExpectedRuns({"/write-run-value"})
            .ExpectedInProcessChanges(0),
        BoxCase("tick with the value in place asks nothing")
            .Ticked(true)
            .StoredBefore(std::string(FakeRunValueStore::kThisProgram))
            .ExpectedInProcessChanges(0),
        BoxCase("tick declined says so once")
            .Ticked(true)
            .Launch(Behaviour::kDeclined)
            .ExpectedRuns({"/write-run-value"})
            .ExpectedInProcessChanges(0)
            .ExpectedMessage(std::string(kWatchWithoutStartPrefix) + kElevationDeclinedMessage),
        BoxCase("tick refused by the elevated run gives the system's reason")
            .Ticked(true)
            .RunExitCode(ActionExitForError(5))
            .ExpectedRuns({"/write-run-value"})
            .ExpectedInProcessChanges(0)
            .ExpectedMessage(std::string(kWatchWithoutStartPrefix) + "Access is denied."),
        BoxCase("tick when the run cannot start")
            .Ticked(true)
            .Launch(Behaviour::kFailsToStart)
            .ExpectedRuns({"/write-run-value"})
            .ExpectedInProcessChanges(0)
            .ExpectedMessage(std::string(kWatchWithoutStartPrefix) + "The service cannot be started"),
        BoxCase("tick elevated writes in-process").Ticked(true).Elevated(true).ExpectedInProcessChanges(1),
        BoxCase("tick elevated refused in-process")
            .Ticked(true)
            .Elevated(true)
            .InProcessRefusal(std::string("Access is denied."))
            .ExpectedInProcessChanges(1)
            .ExpectedMessage(std::string(kWatchWithoutStartPrefix) + "Access is denied."),
        BoxCase("untick with no value asks and says nothing")
            .Ticked(false)
            .Launch(Behaviour::kDeclined)
            .ExpectedInProcessChanges(0),
        BoxCase("untick elevated with no value touches nothing")
            .Ticked(false)
            .Elevated(true)
            .InProcessRefusal(std::string("Access is denied."))
            .ExpectedInProcessChanges(0),
        BoxCase("untick unelevated deletes through one run")
            .Ticked(false)
            .StoredBefore(std::string(FakeRunValueStore::kThisProgram))
            .ExpectedRuns({"/delete-run-value"})
            .ExpectedInProcessChanges(0),
        BoxCase("untick declined says the program still starts")
            .Ticked(false)
            .StoredBefore(std::string(FakeRunValueStore::kThisProgram))
            .Launch(Behaviour::kDeclined)
            .ExpectedRuns({"/delete-run-value"})
            .ExpectedInProcessChanges(0)
            .ExpectedMessage(std::string(kStillStartsPrefix) + kElevationDeclinedMessage),
        BoxCase("untick elevated deletes in-process")
            .Ticked(false)
            .Elevated(true)
            .StoredBefore(std::string(kOtherCopy))
            .ExpectedInProcessChanges(1),
        BoxCase("tick unelevated in an unprotected folder starts nothing and says why")
            .Ticked(true)
            .ExpectedInProcessChanges(0)
            .ExpectedMessage(std::string(kWatchWithoutStartPrefix) +
                             UnprotectedProgramMessage(FakeProgramProtection::kReason))
            .ProgramUnprotected(true),
        BoxCase("untick unelevated in an unprotected folder starts nothing and says why")
            .Ticked(false)
            .StoredBefore(std::string(FakeRunValueStore::kThisProgram))
            .ExpectedInProcessChanges(0)
            .ExpectedMessage(std::string(kStillStartsPrefix) +
                             UnprotectedProgramMessage(FakeProgramProtection::kReason))
            .ProgramUnprotected(true),
        BoxCase("tick elevated in an unprotected folder writes in-process")
            .Ticked(true)
            .Elevated(true)
            .ExpectedInProcessChanges(1)
            .ProgramUnprotected(true),
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
