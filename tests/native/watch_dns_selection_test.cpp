#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/row_name.h"
#include "support/watch_test_rig.h"

namespace quillcrest {
namespace {

using fakes::IpEnabledRow;
using fakes::kRigAdapter;
using fakes::PlantDword;
using fakes::PlantText;
using fakes::StoredText;
using fakes::SystemKey;
using fakes::UserKey;
using fakes::WatchRig;

const std::string kOpenDns = "208.67.222.222,208.67.220.220";

// ---- Choosing an item ----

TEST(WatchDnsSelectionTest, EveryChangeOfItemMarksPendingAndChoosingTheSameItemChangesNothing) {
    WatchRig rig;
    rig.StartOn("10.0.0.1");
    const int changesAtStart = rig.window.itemChanges;

    rig.watch.OnSelectionClicked(kSelectionDefault);
    EXPECT_FALSE(rig.watch.selectionPending());
    EXPECT_FALSE(rig.window.applyShown);
    EXPECT_EQ(rig.window.itemChanges, changesAtStart);

    rig.watch.OnSelectionClicked(kSelectionOpenDns);
    EXPECT_TRUE(rig.watch.selectionPending());
    EXPECT_TRUE(rig.window.applyShown);
    EXPECT_EQ(rig.window.shownItem, kSelectionOpenDns);

    // Showing the window clears the pending state but leaves "Apply" as it is.
    rig.watch.OnWindowShown();
    EXPECT_FALSE(rig.watch.selectionPending());
    EXPECT_TRUE(rig.window.applyShown);
    rig.watch.OnSelectionClicked(kSelectionOpenDns);
    EXPECT_FALSE(rig.watch.selectionPending());
}

// ---- Apply ----

// WatchInterfaces of the TCP/IP configuration and what each one has recorded in "OrigDNS".
struct RestoreInterface {
    const char* id;
    std::optional<std::string> origDns;  // nullopt: no record
};

struct RestoreCase {
    const char* name;
    std::vector<RestoreInterface> interfaces;
    std::vector<std::string> changes;
};

void PrintTo(const RestoreCase& row, std::ostream* out) {
    *out << row.name;
}

class WatchApplyDefaultTest : public ::testing::TestWithParam<RestoreCase> {};

TEST_P(WatchApplyDefaultTest, RestoresTheRecordedServersOfEveryInterfaceThenFlushes) {
    const RestoreCase& row = GetParam();
    SCOPED_TRACE(row.name);
    WatchRig rig;
    rig.StartOn(kOpenDns);
    for (const RestoreInterface& interface : row.interfaces) {
        rig.network.tcpipInterfaces.push_back(interface.id);
        if (interface.origDns)
            PlantText(rig.registry, SystemKey(interface.id), "OrigDNS", *interface.origDns);
    }
    rig.watch.OnSelectionClicked(kSelectionDefault);
    rig.network.currentList = "10.0.0.1";

    rig.watch.OnApplyClicked();

    EXPECT_EQ(rig.network.log, row.changes);
    EXPECT_EQ(rig.watch.references().recentDnsList, "10.0.0.1");
    EXPECT_FALSE(rig.watch.selectionPending());
    EXPECT_FALSE(rig.window.applyShown);
}

const RestoreCase kRestoreCases[] = {
    {"no interfaces", {}, {"flush"}},
    {"one to three servers in order",
     {{"{A}", "10.0.0.1"}, {"{B}", "10.0.0.1,10.0.0.2"}, {"{C}", "1.1.1.1,2.2.2.2,3.3.3.3"}},
     {"set {A} 10.0.0.1", "set {B} 10.0.0.1,10.0.0.2", "set {C} 1.1.1.1,2.2.2.2,3.3.3.3", "flush"}},
    {"no record hands to dhcp", {{"{A}", std::nullopt}, {"{B}", ""}}, {"set {A} ", "set {B} ", "flush"}},
    {"four servers leave the interface alone",
     {{"{A}", "1.1.1.1,2.2.2.2,3.3.3.3,4.4.4.4"}, {"{B}", "10.0.0.1"}},
     {"set {B} 10.0.0.1", "flush"}},
    {"blanks split like commas", {{"{A}", " 10.0.0.1  10.0.0.2"}}, {"set {A} 10.0.0.1,10.0.0.2", "flush"}},
    {"interface order kept", {{"{Z}", "1.1.1.1"}, {"{A}", "2.2.2.2"}}, {"set {Z} 1.1.1.1", "set {A} 2.2.2.2", "flush"}},
};

INSTANTIATE_TEST_SUITE_P(WatchInterfaces,
                         WatchApplyDefaultTest,
                         ::testing::ValuesIn(kRestoreCases),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

TEST(WatchApplyTest, OpenDnsGoesToEveryIpEnabledAdapterThenFlushes) {
    WatchRig rig;
    rig.StartOn("10.0.0.1");
    rig.query.setRows({IpEnabledRow("{A}"), IpEnabledRow("{B}")});
    rig.watch.OnSelectionClicked(kSelectionOpenDns);
    rig.network.currentList = kOpenDns;

    rig.watch.OnApplyClicked();

    EXPECT_EQ(rig.query.wql(), "Select * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled=TRUE");
    EXPECT_FALSE(rig.query.isOpen());
    EXPECT_EQ(rig.network.log, (std::vector<std::string>{"set {A} 208.67.222.222,208.67.220.220",
                                                         "set {B} 208.67.222.222,208.67.220.220", "flush"}));
    EXPECT_EQ(rig.watch.references().recentDnsList, kOpenDns);
    EXPECT_FALSE(rig.watch.selectionPending());
    EXPECT_FALSE(rig.window.applyShown);

    // The 30-second check now compares with the applied list.
    rig.watch.OnRecentCheckTick();
    EXPECT_EQ(rig.dialogs.alerts, 0);
}

TEST(WatchApplyTest, OpenDnsWithoutIpEnabledAdaptersStillFlushesAndRenewsTheReference) {
    WatchRig rig;
    rig.StartOn("10.0.0.1");
    rig.query.setRows({});
    rig.watch.OnSelectionClicked(kSelectionOpenDns);
    rig.network.currentList = "10.0.0.2";
    rig.watch.OnApplyClicked();
    EXPECT_EQ(rig.network.log, std::vector<std::string>{"flush"});
    EXPECT_EQ(rig.watch.references().recentDnsList, "10.0.0.2");
}

TEST(WatchApplyTest, WithoutAnItemChangesNothingButRenewsTheReference) {
    WatchRig rig;
    rig.network.currentList = "10.0.0.2";
    rig.watch.OnApplyClicked();
    EXPECT_TRUE(rig.network.log.empty());
    EXPECT_EQ(rig.watch.references().recentDnsList, "10.0.0.2");
}

class WatchApplyFailureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rig.StartOn("10.0.0.1");
        rig.network.tcpipInterfaces = {"{A}", "{B}", "{C}"};
        rig.query.setRows({IpEnabledRow("{A}"), IpEnabledRow("{B}"), IpEnabledRow("{C}")});
        rig.network.failingAdapter = "{B}";
        rig.network.currentList = "10.0.0.7";
    }

    void ExpectActionEndedAtB() {
        EXPECT_EQ(rig.network.log.size(), 1u) << "only {A} changed, and no flush";
        EXPECT_EQ(rig.watch.references().recentDnsList, "10.0.0.1");
        EXPECT_TRUE(rig.watch.selectionPending());
        EXPECT_TRUE(rig.window.applyShown);
        EXPECT_FALSE(rig.query.isOpen());
    }

    WatchRig rig;
};

TEST_F(WatchApplyFailureTest, ErrorInTheRestoreEndsApply) {
    rig.watch.OnSelectionClicked(kSelectionOpenDns);
    rig.watch.OnSelectionClicked(kSelectionDefault);
    EXPECT_THROW(rig.watch.OnApplyClicked(), Exception);
    ExpectActionEndedAtB();
}

TEST_F(WatchApplyFailureTest, ErrorInTheSwitchToOpenDnsEndsApply) {
    rig.watch.OnSelectionClicked(kSelectionOpenDns);
    EXPECT_THROW(rig.watch.OnApplyClicked(), Exception);
    ExpectActionEndedAtB();
}

TEST_F(WatchApplyFailureTest, WmiErrorEndsApplyBeforeAnyChange) {
    rig.query.failOpenWith("Access denied");
    rig.watch.OnSelectionClicked(kSelectionOpenDns);
    EXPECT_THROW(rig.watch.OnApplyClicked(), EWmiError);
    EXPECT_TRUE(rig.network.log.empty());
    EXPECT_TRUE(rig.watch.selectionPending());
}

TEST(WatchApplyTest, UnreadableListAfterTheChangeIsTakenFromTheNextCheckInsteadOfAlerting) {
    WatchRig rig;
    rig.StartOn("10.0.0.1");
    rig.query.setRows({IpEnabledRow("{A}")});
    rig.watch.OnSelectionClicked(kSelectionOpenDns);
    rig.network.upcomingLists = {std::nullopt};
    rig.network.currentList = kOpenDns;

    rig.watch.OnApplyClicked();
    EXPECT_FALSE(rig.watch.references().recentDnsList);
    EXPECT_FALSE(rig.watch.selectionPending());

    rig.watch.OnRecentCheckTick();
    EXPECT_EQ(rig.dialogs.alerts, 0);
    EXPECT_EQ(rig.watch.references().recentDnsList, kOpenDns);
}

// ---- "Check My Current DNS Settings" ----

TEST(WatchCheckButtonTest, CtrlResetsTheAdaptersRecordedOnDhcpOrNotRecorded) {
    WatchRig rig;
    rig.StartOn("10.0.0.1");
    rig.query.setRows({IpEnabledRow("{A}"), IpEnabledRow("{B}"), IpEnabledRow("{C}")});
    PlantDword(rig.registry, UserKey("{A}"), "DHCPEnabled", 1);
    PlantDword(rig.registry, UserKey("{B}"), "DHCPEnabled", 0);

    rig.watch.OnCheckButtonReleased(true);

    EXPECT_EQ(rig.query.wql(), "Select * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled=TRUE");
    EXPECT_FALSE(rig.query.isOpen());
    EXPECT_EQ(rig.network.log, (std::vector<std::string>{"set {A} ", "set {C} ", "flush"}));
    EXPECT_TRUE(rig.dialogs.lookupDefaults.empty()) << "no lookup window";
}

TEST(WatchCheckButtonTest, CtrlResetErrorEndsItWithoutFlush) {
    WatchRig rig;
    rig.StartOn("10.0.0.1");
    rig.query.setRows({IpEnabledRow("{A}"), IpEnabledRow("{B}")});
    rig.network.failingAdapter = "{A}";
    EXPECT_THROW(rig.watch.OnCheckButtonReleased(true), Exception);
    EXPECT_TRUE(rig.network.log.empty());
}

struct LookupCase {
    const char* name;
    LookupWindowResult lookup;
    std::optional<std::string> storedDefault;
};

void PrintTo(const LookupCase& row, std::ostream* out) {
    *out << row.name;
}

class WatchCheckButtonLookupTest : public ::testing::TestWithParam<LookupCase> {};

TEST_P(WatchCheckButtonLookupTest, SaveAsDefaultStoresTheReportedServersForTheNextStart) {
    const LookupCase& row = GetParam();
    SCOPED_TRACE(row.name);
    WatchRig rig;
    rig.StartOn("10.0.0.1");
    rig.dialogs.lookupResult = row.lookup;

    rig.watch.OnCheckButtonReleased(false);

    EXPECT_EQ(rig.dialogs.lookupDefaults, std::vector<std::string>{"10.0.0.1"});
    EXPECT_EQ(StoredText(rig.registry, UserKey(kRigAdapter), "Default NameServers"), row.storedDefault);
    EXPECT_EQ(rig.watch.references().defaultDnsList, "10.0.0.1") << "the run keeps the default it started with";
    EXPECT_TRUE(rig.network.log.empty());
}

const LookupCase kLookupCases[] = {
    {"save as default", {kDialogResultOk, "9.9.9.9,8.8.4.4"}, "9.9.9.9,8.8.4.4"},
    {"closed otherwise", {fakes::kDialogResultFixIt, "9.9.9.9"}, "10.0.0.1"},
};

INSTANTIATE_TEST_SUITE_P(WatchResults,
                         WatchCheckButtonLookupTest,
                         ::testing::ValuesIn(kLookupCases),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

// ---- Close and Exit ----

class WatchCloseQueryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rig.StartOn("10.0.0.1");
        rig.network.tcpipInterfaces = {"{A}"};
        PlantText(rig.registry, SystemKey("{A}"), "OrigDNS", "10.0.0.1");
        rig.watch.OnSelectionClicked(kSelectionOpenDns);
    }
    WatchRig rig;
};

TEST_F(WatchCloseQueryTest, NothingPendingClosesWithoutAQuestion) {
    rig.watch.OnWindowShown();
    EXPECT_TRUE(rig.watch.OnCloseQuery());
    EXPECT_EQ(rig.dialogs.exitDialogs, 0);
    EXPECT_TRUE(rig.network.log.empty());
}

TEST_F(WatchCloseQueryTest, OkRestoresTheRecordedServersThenCloses) {
    rig.dialogs.exitResult = kDialogResultOk;
    EXPECT_TRUE(rig.watch.OnCloseQuery());
    EXPECT_EQ(rig.network.log, (std::vector<std::string>{"set {A} 10.0.0.1", "flush"}));
}

TEST_F(WatchCloseQueryTest, FixItRefusesAndLeavesTheSelectionPending) {
    rig.dialogs.exitResult = fakes::kDialogResultFixIt;
    EXPECT_FALSE(rig.watch.OnCloseQuery());
    EXPECT_TRUE(rig.network.log.empty());
    EXPECT_TRUE(rig.watch.selectionPending());
    EXPECT_TRUE(rig.window.applyShown);
    EXPECT_EQ(rig.watch.selectionItem(), kSelectionOpenDns);
}

TEST_F(WatchCloseQueryTest, RestoreErrorIsShownAndRefusesTheClose) {
    rig.dialogs.exitResult = kDialogResultOk;
    rig.network.failingAdapter = "{A}";
    EXPECT_FALSE(rig.watch.OnCloseQuery());
    EXPECT_EQ(rig.dialogs.errors, std::vector<std::string>{"WMI is unreachable"});
}

TEST(WatchExitCommandTest, RecordsTheCurrentListAndNothingWhenItCannotBeRead) {
    WatchRig rig;
    rig.StartOn("10.0.0.1");
    rig.network.currentList = "10.0.0.5";
    rig.watch.OnExitCommand();
    EXPECT_EQ(StoredText(rig.registry, UserKey(kRigAdapter), "Last NameServers"), "10.0.0.5");

    rig.network.currentList = std::nullopt;
    rig.watch.OnExitCommand();
    EXPECT_EQ(StoredText(rig.registry, UserKey(kRigAdapter), "Last NameServers"), "10.0.0.5");
    EXPECT_TRUE(rig.network.log.empty());
}

}  // namespace
}  // namespace quillcrest
