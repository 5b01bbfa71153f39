#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/row_name.h"
#include "support/watch_test_rig.h"

namespace quillcrest {
namespace {

using fakes::kRigAdapter;
using fakes::PlantText;
using fakes::StoredText;
using fakes::SystemKey;
using fakes::UserKey;
using fakes::WatchRig;

constexpr char kBareUserKey[] = "HKCU\\SOFTWARE\\Brenholt\\Quillcrest\\Interfaces";

// The preferred adapter's row also describes it to the capture: fixed servers 10.0.0.1.
void AddCaptureFields(WatchRig& rig) {
    rig.query.setRows({{{"IPConnectionMetric", WmiValue::Integer(10)},
                        {"Index", WmiValue::Integer(1)},
                        {"SettingID", WmiValue::Text(kRigAdapter)},
                        {"DHCPEnabled", WmiValue::Boolean(false)},
                        {"DNSServerSearchOrder", WmiValue::Array({WmiValue::Text("10.0.0.1")})}}});
}

struct StartupCase {
    const char* name;
    std::optional<std::string> storedDefault;
    // What the reads of the current list answer, in turn.
    std::vector<std::optional<std::string>> reads;
    std::optional<std::string> recent;
    std::optional<std::string> defaultList;
    std::optional<std::string> startupValue;
    std::optional<std::string> defaultValue;
    bool captured;
};

// Failures name the row rather than dump its bytes.
void PrintTo(const StartupCase& row, std::ostream* out) {
    *out << row.name;
}

class WatchStartupTest : public ::testing::TestWithParam<StartupCase> {};

TEST_P(WatchStartupTest, LoadsTheReferencesAndRecordsWhatItRead) {
    const StartupCase& row = GetParam();
    SCOPED_TRACE(row.name);
    WatchRig rig;
    AddCaptureFields(rig);
    if (row.storedDefault)
        PlantText(rig.registry, UserKey(kRigAdapter), "Default NameServers", *row.storedDefault);
    rig.network.upcomingLists = row.reads;

    rig.watch.Start();

    const ReferenceLists& refs = rig.watch.references();
    EXPECT_EQ(refs.adapterGuid, kRigAdapter);
    EXPECT_EQ(refs.recentDnsList, row.recent);
    EXPECT_EQ(refs.defaultDnsList, row.defaultList);
    EXPECT_EQ(StoredText(rig.registry, UserKey(kRigAdapter), "Startup NameServers"), row.startupValue);
    EXPECT_EQ(StoredText(rig.registry, UserKey(kRigAdapter), "Default NameServers"), row.defaultValue);
    EXPECT_EQ(StoredText(rig.registry, SystemKey(kRigAdapter), "OrigDNS").has_value(), row.captured);
    EXPECT_EQ(rig.network.listReads, static_cast<int>(row.reads.size()));
    EXPECT_TRUE(rig.dialogs.errors.empty());
    EXPECT_TRUE(rig.network.log.empty()) << "start-up changes no adapter";
}

const StartupCase kStartupCases[] = {
    {"first start",
     std::nullopt,
     {"1.1.1.1,2.2.2.2", "1.1.1.1,2.2.2.2"},
     "1.1.1.1,2.2.2.2",
     "1.1.1.1,2.2.2.2",
     "1.1.1.1,2.2.2.2",
     "1.1.1.1,2.2.2.2",
     true},
    {"later start keeps the stored default", "9.9.9.9", {"1.1.1.1"}, "1.1.1.1", "9.9.9.9", "1.1.1.1", "9.9.9.9", false},
    {"stored but empty default counts as absent",
     "",
     {"1.1.1.1", "1.1.1.1"},
     "1.1.1.1",
     "1.1.1.1",
     "1.1.1.1",
     "1.1.1.1",
     true},
    {"machine without dns servers", std::nullopt, {"", ""}, "", "", "", "", true},
    {"first read fails",
     std::nullopt,
     {std::nullopt, "1.1.1.1"},
     std::nullopt,
     "1.1.1.1",
     std::nullopt,
     "1.1.1.1",
     true},
    {"second read fails stores no default",
     std::nullopt,
     {"1.1.1.1", std::nullopt},
     "1.1.1.1",
     std::nullopt,
     "1.1.1.1",
     std::nullopt,
     true},
    {"both reads fail",
     std::nullopt,
     {std::nullopt, std::nullopt},
     std::nullopt,
     std::nullopt,
     std::nullopt,
     std::nullopt,
     true},
    {"read fails on a later start", "9.9.9.9", {std::nullopt}, std::nullopt, "9.9.9.9", std::nullopt, "9.9.9.9", false},
};

INSTANTIATE_TEST_SUITE_P(WatchStarts, WatchStartupTest, ::testing::ValuesIn(kStartupCases), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

TEST(WatchStartupFailureTest, WithoutAPreferredAdapterEveryRecordGoesToTheBareKey) {
    WatchRig rig;
    rig.query.setRows({});
    rig.network.currentList = "1.1.1.1";
    rig.watch.Start();
    EXPECT_EQ(rig.watch.references().adapterGuid, "");
    EXPECT_EQ(StoredText(rig.registry, kBareUserKey, "Startup NameServers"), "1.1.1.1");
    EXPECT_EQ(StoredText(rig.registry, kBareUserKey, "Default NameServers"), "1.1.1.1");

    rig.watch.OnExitCommand();
    EXPECT_EQ(StoredText(rig.registry, kBareUserKey, "Last NameServers"), "1.1.1.1");
}

TEST(WatchStartupFailureTest, AdapterLookupFailureIsShownAndTheWatchStartsAllTheSame) {
    WatchRig rig;
    rig.query.failOpenWith("The RPC server is unavailable");
    rig.network.currentList = "1.1.1.1";
    rig.files.files[fakes::kRigAllowedListPath] = "2.2.2.2\r\n";
    rig.watch.Start();

    ASSERT_EQ(rig.dialogs.errors.size(), 1u);
    EXPECT_EQ(rig.dialogs.errors[0], "The RPC server is unavailable");
    const ReferenceLists& refs = rig.watch.references();
    EXPECT_EQ(refs.adapterGuid, "");
    EXPECT_EQ(refs.recentDnsList, "1.1.1.1");
    EXPECT_EQ(refs.defaultDnsList, "1.1.1.1");
    EXPECT_EQ(StoredText(rig.registry, kBareUserKey, "Default NameServers"), "1.1.1.1");
    EXPECT_EQ(rig.watch.selectionItem(), kSelectionDefault);
    EXPECT_TRUE(rig.watch.allowedList().Contains("2.2.2.2"));
}

TEST(WatchStartupFailureTest, UnreadableAllowedListIsShownAndTheWatchRunsOnAnEmptyList) {
    WatchRig rig;
    rig.files.files[fakes::kRigAllowedListPath] = "2.2.2.2\r\n";
    rig.files.unreadable.insert(fakes::kRigAllowedListPath);
    rig.StartOn("1.1.1.1");

    ASSERT_EQ(rig.dialogs.errors.size(), 1u);
    EXPECT_NE(rig.dialogs.errors[0].find("AllowedDNS.txt"), std::string::npos);
    EXPECT_TRUE(rig.watch.allowedList().entries().empty());
    EXPECT_EQ(rig.watch.selectionItem(), kSelectionDefault);
}

// ---- The selection at start ----

struct SelectionStartCase {
    const char* name;
    std::optional<std::string> recent;
    int item;
};

// Failures name the row rather than dump its bytes.
void PrintTo(const SelectionStartCase& row, std::ostream* out) {
    *out << row.name;
}

class WatchSelectionStartTest : public ::testing::TestWithParam<SelectionStartCase> {};

TEST_P(WatchSelectionStartTest, ChoosesOpenDnsOnlyWhenBothAddressesAreInTheRecentList) {
    const SelectionStartCase& row = GetParam();
    SCOPED_TRACE(row.name);
    WatchRig rig;
    rig.network.currentList = row.recent;
    rig.watch.Start();
    EXPECT_EQ(rig.watch.selectionItem(), row.item);
    EXPECT_EQ(rig.window.shownItem, row.item);
    EXPECT_FALSE(rig.watch.selectionPending());
    EXPECT_FALSE(rig.window.applyShown);
}

const SelectionStartCase kSelectionStartCases[] = {
    {"both in order", "208.67.222.222,208.67.220.220", kSelectionOpenDns},
    {"both reversed", "208.67.220.220,208.67.222.222", kSelectionOpenDns},
    {"both among others", "10.0.0.1,208.67.220.220,8.8.8.8,208.67.222.222", kSelectionOpenDns},
    {"primary only", "208.67.222.222,8.8.8.8", kSelectionDefault},
    {"secondary only", "208.67.220.220", kSelectionDefault},
    {"other servers", "10.0.0.1,10.0.0.2", kSelectionDefault},
    {"no servers", "", kSelectionDefault},
    {"list unreadable", std::nullopt, kSelectionDefault},
};

INSTANTIATE_TEST_SUITE_P(WatchLists,
                         WatchSelectionStartTest,
                         ::testing::ValuesIn(kSelectionStartCases),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

}  // namespace
}  // namespace quillcrest
