#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/named_fields_row.h"
#include "support/row_name.h"
#include "support/watch_test_rig.h"

namespace quillcrest {
namespace {

using fakes::kDialogResultFixIt;
using fakes::kRigAdapter;
using fakes::kRigAllowedListPath;
using fakes::WatchRig;

const std::string kClearAdapter = std::string("set ") + kRigAdapter + " ";
std::string SetAdapter(const std::string& servers) {
    return kClearAdapter + servers;
}

// One tick of the 30-second check against a reference list. A row names the fields it sets; the others keep the
// values given here.
struct CheckCase : fakes::NamedFieldsRow<CheckCase> {
    explicit CheckCase(const char* rowName) : name(rowName) {}

    const char* name;
    std::string reference;
    std::optional<std::string> current;      // nullopt: the read fails
    std::optional<std::string> allowedFile;  // nullopt: no file
    int alertResult = kDialogResultOk;
    bool confirm = false;            // the answer to the revert question
    std::optional<bool> dhcpRecord;  // nullopt: no record
    int alerts = 0;
    std::vector<std::string> changes;
    std::optional<std::string> allowedFileAfter;
    int itemAfter = 1;

    CheckCase& Reference(std::string list) { return Set(&CheckCase::reference, std::move(list)); }
    CheckCase& Current(std::optional<std::string> list) { return Set(&CheckCase::current, std::move(list)); }
    CheckCase& AllowedFile(std::string text) { return Set(&CheckCase::allowedFile, std::move(text)); }
    CheckCase& AlertResult(int result) { return Set(&CheckCase::alertResult, result); }
    CheckCase& Confirm(bool answer) { return Set(&CheckCase::confirm, answer); }
    CheckCase& DhcpRecord(bool enabled) { return Set(&CheckCase::dhcpRecord, enabled); }
    CheckCase& Alerts(int count) { return Set(&CheckCase::alerts, count); }
    CheckCase& Changes(std::vector<std::string> log) { return Set(&CheckCase::changes, std::move(log)); }
    CheckCase& AllowedFileAfter(std::string text) { return Set(&CheckCase::allowedFileAfter, std::move(text)); }
    CheckCase& ItemAfter(int item) { return Set(&CheckCase::itemAfter, item); }
};

// Failures name the row rather than dump its bytes.
void PrintTo(const CheckCase& row, std::ostream* out) {
    *out << row.name;
}

class WatchChangeCheckTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(WatchChangeCheckTest, OneTickOfTheRecentCheck) {
    const CheckCase& row = GetParam();
    SCOPED_TRACE(row.name);
    WatchRig rig;
    if (row.allowedFile)
        rig.files.files[kRigAllowedListPath] = *row.allowedFile;
    if (row.dhcpRecord)
        rig.SetDhcpRecord(*row.dhcpRecord);
    rig.StartOn(row.reference);
    rig.watch.OnSelectionClicked(kSelectionOpenDns);
    rig.network.currentList = row.current;
    rig.dialogs.alertResult = row.alertResult;
    rig.dialogs.confirmAnswer = row.confirm;

    rig.watch.OnRecentCheckTick();

    EXPECT_EQ(rig.dialogs.alerts, row.alerts);
    if (row.alertResult == kDialogResultFixIt && row.alerts > 0)
        EXPECT_EQ(rig.dialogs.questions, std::vector<std::string>{"Revert to your most recent DNS settings?"});
    else
        EXPECT_TRUE(rig.dialogs.questions.empty());
    EXPECT_EQ(rig.network.log, row.changes);
    const auto file = rig.files.files.find(kRigAllowedListPath);
    EXPECT_EQ(file == rig.files.files.end() ? std::nullopt : std::optional<std::string>(file->second),
              row.allowedFileAfter);
    EXPECT_EQ(rig.watch.selectionItem(), row.itemAfter);
    EXPECT_EQ(rig.watch.references().recentDnsList, row.reference) << "the reference itself never changes";
    EXPECT_TRUE(rig.dialogs.errors.empty());
}

constexpr int kOk = kDialogResultOk;
constexpr int kFixIt = kDialogResultFixIt;

const CheckCase kCheckCases[] = {
    // Whether the tick alerts at all.
    CheckCase("same list").Reference("10.0.0.1,10.0.0.2").Current("10.0.0.1,10.0.0.2").AlertResult(kOk).Alerts(0),
    CheckCase("letter case ignored")
        .Reference("fe80::a,10.0.0.2")
        .Current("FE80::A,10.0.0.2")
        .AlertResult(kOk)
        .Alerts(0),
    CheckCase("other order is a change")
        .Reference("10.0.0.1,10.0.0.2")
        .Current("10.0.0.2,10.0.0.1")
        .AlertResult(kFixIt)
        .Confirm(false)
        .Alerts(1),
    CheckCase("empty current list is a change")
        .Reference("10.0.0.1")
        .Current("")
        .AlertResult(kFixIt)
        .Confirm(false)
        .Alerts(1),
    CheckCase("failed read is no change").Reference("10.0.0.1").Current(std::nullopt).AlertResult(kOk).Alerts(0),
    CheckCase("allowed list holds it")
        .Reference("10.0.0.1")
        .Current("10.0.0.9")
        .AllowedFile("8.8.8.8\r\n10.0.0.9\r\n")
        .AlertResult(kOk)
        .Alerts(0)
        .AllowedFileAfter("8.8.8.8\r\n10.0.0.9\r\n"),
    CheckCase("allowed blank line matches empty list")
        .Reference("10.0.0.1")
        .Current("")
        .AllowedFile("8.8.8.8\r\n\r\n9.9.9.9\r\n")
        .AlertResult(kOk)
        .Alerts(0)
        .AllowedFileAfter("8.8.8.8\r\n\r\n9.9.9.9\r\n"),
    CheckCase("allowed entry with blank is no match")
        .Reference("10.0.0.1")
        .Current("10.0.0.9")
        .AllowedFile("10.0.0.9 \r\n")
        .AlertResult(kFixIt)
        .Confirm(false)
        .Alerts(1)
        .AllowedFileAfter("10.0.0.9 \r\n"),
    // The user's answers.
    CheckCase("ok accepts and saves")
        .Reference("10.0.0.1")
        .Current("10.0.0.9")
        .AllowedFile("8.8.8.8")
        .AlertResult(kOk)
        .Alerts(1)
        .AllowedFileAfter("8.8.8.8\r\n10.0.0.9\r\n"),
    CheckCase("ok creates the file")
        .Reference("10.0.0.1")
        .Current("10.0.0.9")
        .AlertResult(kOk)
        .Alerts(1)
        .AllowedFileAfter("10.0.0.9\r\n"),
    CheckCase("fix it and no changes nothing")
        .Reference("10.0.0.1")
        .Current("10.0.0.9")
        .AlertResult(kFixIt)
        .Confirm(false)
        .DhcpRecord(false)
        .Alerts(1),
    // The revert.
    CheckCase("dhcp record hands adapter to dhcp")
        .Reference("10.0.0.1")
        .Current("10.0.0.9")
        .AlertResult(kFixIt)
        .Confirm(true)
        .DhcpRecord(true)
        .Alerts(1)
        .Changes({kClearAdapter}),
    CheckCase("no dhcp record hands adapter to dhcp")
        .Reference("10.0.0.1")
        .Current("10.0.0.9")
        .AlertResult(kFixIt)
        .Confirm(true)
        .Alerts(1)
        .Changes({kClearAdapter}),
    CheckCase("fixed one server")
        .Reference("10.0.0.1")
        .Current("10.0.0.9")
        .AlertResult(kFixIt)
        .Confirm(true)
        .DhcpRecord(false)
        .Alerts(1)
        .Changes({SetAdapter("10.0.0.1")})
        .ItemAfter(0),
    CheckCase("fixed three servers")
        .Reference("1.1.1.1,2.2.2.2,3.3.3.3")
        .Current("10.0.0.9")
        .AlertResult(kFixIt)
        .Confirm(true)
        .DhcpRecord(false)
        .Alerts(1)
        .Changes({SetAdapter("1.1.1.1,2.2.2.2,3.3.3.3")})
        .ItemAfter(0),
    CheckCase("fixed four servers no call")
        .Reference("1.1.1.1,2.2.2.2,3.3.3.3,4.4.4.4")
        .Current("10.0.0.9")
        .AlertResult(kFixIt)
        .Confirm(true)
        .DhcpRecord(false)
        .Alerts(1)
        .ItemAfter(0),
    CheckCase("fixed empty reference no call")
        .Reference("")
        .Current("10.0.0.9")
        .AlertResult(kFixIt)
        .Confirm(true)
        .DhcpRecord(false)
        .Alerts(1)
        .ItemAfter(0),
};

INSTANTIATE_TEST_SUITE_P(WatchOutcomes, WatchChangeCheckTest, ::testing::ValuesIn(kCheckCases), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

// "Fix It" when the change goes through the elevated run, whose own window shows the change and asks: the revert
// asks once, there, unless it changes nothing, when the question is all there is.
struct AskedOnTheWayCase {
    const char* name;
    std::string reference;
    bool dhcpRecord;
    bool confirm;        // the answer to the question, when it is asked
    bool declinedThere;  // "No" in the run's window
    bool questionAsked;
    std::vector<std::string> changes;
    int changeRequests;
    int itemAfter;
};

void PrintTo(const AskedOnTheWayCase& row, std::ostream* out) {
    *out << row.name;
}

class WatchChangeCheckAskedOnTheWayTest : public ::testing::TestWithParam<AskedOnTheWayCase> {};

TEST_P(WatchChangeCheckAskedOnTheWayTest, FixItAsksOnce) {
    const AskedOnTheWayCase& row = GetParam();
    SCOPED_TRACE(row.name);
    WatchRig rig;
    rig.SetDhcpRecord(row.dhcpRecord);
    rig.StartOn(row.reference);
    rig.watch.OnSelectionClicked(kSelectionOpenDns);
    rig.network.currentList = "10.0.0.9";
    rig.network.asksBeforeChanging = true;
    if (row.declinedThere)
        rig.network.declineWith = "The change was not made, because administrator approval was declined";
    rig.dialogs.alertResult = kDialogResultFixIt;
    rig.dialogs.confirmAnswer = row.confirm;

    std::string error;
    try {
        rig.watch.OnRecentCheckTick();
    } catch (const Exception& raised) {
        error = raised.what();
    }

    EXPECT_EQ(rig.dialogs.questions.size(), row.questionAsked ? 1u : 0u);
    EXPECT_EQ(rig.network.changeRequests, row.changeRequests);
    EXPECT_EQ(rig.network.log, row.changes);
    EXPECT_EQ(rig.watch.selectionItem(), row.itemAfter);
    EXPECT_EQ(error.empty(), !row.declinedThere) << error;
}

const AskedOnTheWayCase kAskedOnTheWayCases[] = {
    {"dhcp revert asks only in the run", "10.0.0.1", true, false, false, false, {kClearAdapter}, 1, 1},
    {"fixed servers ask only in the run",
     "10.0.0.1,10.0.0.2",
     false,
     false,
     false,
     false,
     {SetAdapter("10.0.0.1,10.0.0.2")},
     1,
     0},
    {"no in the run changes nothing", "10.0.0.1", false, false, true, false, {}, 1, 1},
    {"four servers change nothing so the question stays",
     "1.1.1.1,2.2.2.2,3.3.3.3,4.4.4.4",
     false,
     true,
     false,
     true,
     {},
     0,
     0},
    {"no to the question that stays", "", false, false, false, true, {}, 0, 1},
};

INSTANTIATE_TEST_SUITE_P(Table,
                         WatchChangeCheckAskedOnTheWayTest,
                         ::testing::ValuesIn(kAskedOnTheWayCases),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

class WatchChangeCheckSequenceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rig.StartOn("10.0.0.1");
        rig.network.currentList = "10.0.0.9";
    }
    WatchRig rig;
};

TEST_F(WatchChangeCheckSequenceTest, FixItAndNoAlertsAgainAtTheNextTick) {
    rig.watch.OnRecentCheckTick();
    rig.watch.OnRecentCheckTick();
    EXPECT_EQ(rig.dialogs.alerts, 2);
    EXPECT_TRUE(rig.network.log.empty());
}

TEST_F(WatchChangeCheckSequenceTest, OkAcceptsTheListForGood) {
    rig.dialogs.alertResult = kDialogResultOk;
    rig.watch.OnRecentCheckTick();
    rig.watch.OnRecentCheckTick();
    rig.recentCheckTimer.enabled = false;
    rig.window.monitorOn = true;
    rig.watch.OnDefaultCheckTick();
    EXPECT_EQ(rig.dialogs.alerts, 1);
}

TEST_F(WatchChangeCheckSequenceTest, RevertLeavesTheSelectionPendingWithApplyShown) {
    rig.SetDhcpRecord(false);
    rig.watch.OnSelectionClicked(kSelectionOpenDns);
    rig.watch.OnWindowShown();
    ASSERT_FALSE(rig.watch.selectionPending());
    rig.dialogs.confirmAnswer = true;
    rig.watch.OnRecentCheckTick();
    EXPECT_EQ(rig.watch.selectionItem(), kSelectionDefault);
    EXPECT_EQ(rig.window.shownItem, kSelectionDefault);
    EXPECT_TRUE(rig.watch.selectionPending());
    EXPECT_TRUE(rig.window.applyShown);
}

TEST_F(WatchChangeCheckSequenceTest, RevertErrorEndsTheTickWithoutTouchingTheSelection) {
    rig.SetDhcpRecord(false);
    rig.watch.OnSelectionClicked(kSelectionOpenDns);
    rig.dialogs.confirmAnswer = true;
    rig.network.failingAdapter = kRigAdapter;
    EXPECT_THROW(rig.watch.OnRecentCheckTick(), Exception);
    EXPECT_EQ(rig.watch.selectionItem(), kSelectionOpenDns);

    // The failed check does not block the next one.
    rig.network.failingAdapter.reset();
    rig.watch.OnRecentCheckTick();
    EXPECT_EQ(rig.dialogs.alerts, 2);
    EXPECT_EQ(rig.network.log, std::vector<std::string>{SetAdapter("10.0.0.1")});
}

TEST_F(WatchChangeCheckSequenceTest, SaveErrorEndsTheTickAndTheListStaysAcceptedForTheRun) {
    rig.dialogs.alertResult = kDialogResultOk;
    rig.files.failingSteps = {fakes::FakeFileSystem::Step::Flush};
    EXPECT_THROW(rig.watch.OnRecentCheckTick(), EFileError);
    rig.watch.OnRecentCheckTick();
    EXPECT_EQ(rig.dialogs.alerts, 1);
    EXPECT_EQ(rig.files.files.count(kRigAllowedListPath), 0u);
}

TEST_F(WatchChangeCheckSequenceTest, OkWhereAnotherProcessSavesHandsTheListOverAndAcceptsItForGood) {
    rig.dialogs.alertResult = kDialogResultOk;
    rig.listSaveRoute.inProcess = false;
    rig.watch.OnRecentCheckTick();
    rig.watch.OnRecentCheckTick();
    EXPECT_EQ(rig.dialogs.alerts, 1);
    EXPECT_EQ(rig.listSaveRoute.handedOver, std::vector<std::string>{"10.0.0.9"});
    EXPECT_EQ(rig.files.files.count(kRigAllowedListPath), 0u) << "the file is the other process's to write";
}

TEST_F(WatchChangeCheckSequenceTest, RefusedHandOverEndsTheTickAndTheListStaysAcceptedForTheRun) {
    rig.dialogs.alertResult = kDialogResultOk;
    rig.listSaveRoute.inProcess = false;
    rig.listSaveRoute.failWith = "The change was not made, because administrator approval was declined";
    EXPECT_THROW(rig.watch.OnRecentCheckTick(), Exception);
    rig.watch.OnRecentCheckTick();
    EXPECT_EQ(rig.dialogs.alerts, 1);
    EXPECT_EQ(rig.files.files.count(kRigAllowedListPath), 0u);
}

TEST_F(WatchChangeCheckSequenceTest, ListThatChangesBackRaisesNoAlert) {
    rig.network.currentList = "10.0.0.1";
    rig.watch.OnRecentCheckTick();
    EXPECT_EQ(rig.dialogs.alerts, 0);
}

// Ticks arrive inside the dialogs' modal loops.
TEST_F(WatchChangeCheckSequenceTest, TicksWhileTheAlertIsOpenDoNothingAndOnlyThePendingDecisionIsCarriedOut) {
    rig.SetDhcpRecord(false);
    rig.window.monitorOn = true;
    rig.recentCheckTimer.enabled = true;
    int readsWhileOpen = -1;
    rig.dialogs.whileAlertOpen = [&] {
        if (rig.dialogs.alerts > 1)
            return;  // a nested alert: the guard failed, and the count says so
        const int before = rig.network.listReads;
        rig.network.currentList = "10.0.0.7";
        for (int i = 0; i < 5; ++i) {
            rig.watch.OnRecentCheckTick();
            rig.watch.OnDefaultCheckTick();
        }
        readsWhileOpen = rig.network.listReads - before;
    };
    rig.dialogs.confirmAnswer = true;

    rig.watch.OnRecentCheckTick();

    EXPECT_EQ(rig.dialogs.alerts, 1);
    EXPECT_EQ(readsWhileOpen, 0);
    EXPECT_EQ(rig.dialogs.questions.size(), 1u);
    EXPECT_EQ(rig.network.log, std::vector<std::string>{SetAdapter("10.0.0.1")});
}

TEST_F(WatchChangeCheckSequenceTest, TicksWhileTheConfirmationIsOpenRaiseNoSecondAlert) {
    rig.dialogs.whileConfirmOpen = [&] {
        if (rig.dialogs.questions.size() == 1)
            rig.watch.OnRecentCheckTick();
    };
    rig.dialogs.confirmAnswer = false;
    rig.watch.OnRecentCheckTick();
    EXPECT_EQ(rig.dialogs.alerts, 1);
    EXPECT_EQ(rig.dialogs.questions.size(), 1u);
}

TEST_F(WatchChangeCheckSequenceTest, DecisionRevertsToTheReferenceTheAlertWasAbout) {
    // An Apply inside the confirmation's loop renews the reference; the answer is still about the one shown.
    rig.SetDhcpRecord(false);
    rig.dialogs.confirmAnswer = true;
    rig.dialogs.whileConfirmOpen = [&] {
        rig.network.upcomingLists = {"10.0.0.5"};
        rig.watch.OnApplyClicked();
    };
    rig.watch.OnRecentCheckTick();
    EXPECT_EQ(rig.network.log.back(), SetAdapter("10.0.0.1"));
    EXPECT_EQ(rig.watch.references().recentDnsList, "10.0.0.5");
}

TEST(WatchDefaultCheckTest, ComparesWithAndRevertsToTheDefaultList) {
    WatchRig rig;
    rig.SetDhcpRecord(false);
    fakes::PlantText(rig.registry, fakes::UserKey(kRigAdapter), "Default NameServers", "9.9.9.9,9.9.9.8");
    rig.network.currentList = "10.0.0.1";
    rig.watch.Start();
    rig.window.monitorOn = true;

    // The recent list would raise nothing; the default one does.
    rig.dialogs.confirmAnswer = true;
    rig.watch.OnDefaultCheckTick();

    EXPECT_EQ(rig.dialogs.questions, std::vector<std::string>{"Revert to your default DNS settings?"});
    EXPECT_EQ(rig.network.log, std::vector<std::string>{SetAdapter("9.9.9.9,9.9.9.8")});
    EXPECT_TRUE(rig.recentCheckTimer.enabled);
}

// A reference that could not be read is taken from the first list a check reads.
TEST(WatchChangeCheckUnknownReferenceTest, FirstSuccessfulReadBecomesTheReferenceWithoutAnAlert) {
    WatchRig rig;
    rig.network.upcomingLists = {std::nullopt, std::nullopt};
    rig.network.currentList = "10.0.0.1";
    rig.watch.Start();
    ASSERT_FALSE(rig.watch.references().recentDnsList);
    ASSERT_FALSE(rig.watch.references().defaultDnsList);

    rig.network.currentList = std::nullopt;
    rig.watch.OnRecentCheckTick();
    EXPECT_FALSE(rig.watch.references().recentDnsList);

    rig.network.currentList = "10.0.0.1";
    rig.watch.OnRecentCheckTick();
    rig.window.monitorOn = true;
    rig.watch.OnDefaultCheckTick();
    EXPECT_EQ(rig.dialogs.alerts, 0);
    EXPECT_EQ(rig.watch.references().recentDnsList, "10.0.0.1");
    EXPECT_EQ(rig.watch.references().defaultDnsList, "10.0.0.1");
    EXPECT_FALSE(fakes::StoredText(rig.registry, fakes::UserKey(kRigAdapter), "Default NameServers"))
        << "a reference taken during the run is not stored as the default";

    rig.network.currentList = "10.0.0.9";
    rig.watch.OnRecentCheckTick();
    EXPECT_EQ(rig.dialogs.alerts, 1);
}

}  // namespace
}  // namespace quillcrest
