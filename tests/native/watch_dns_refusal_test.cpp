#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <vector>

#include "netconfig/adapter_method_return.h"
#include "support/row_name.h"
#include "support/watch_test_rig.h"
#include "watch/dns_change_report.h"

namespace quillcrest {
namespace {

using fakes::IpEnabledRow;
using fakes::kRigAdapter;
using fakes::PlantDword;
using fakes::UserKey;
using fakes::WatchRig;

constexpr char kDeclined[] = "The change was not made, because administrator approval was declined";
constexpr std::uint32_t kAccessDenied = 91;

// The user actions that change every adapter, each ending the way the window sees it: the reports the user
// gets (an error escaping the handler is shown once by the window) and whether the window may close.
enum class Caller { kApplyDefault, kApplyOpenDns, kCtrlReset, kCloseWithOk };

const char* CallerName(Caller caller) {
    switch (caller) {
        case Caller::kApplyDefault:
            return "Apply default";
        case Caller::kApplyOpenDns:
            return "Apply OpenDNS";
        case Caller::kCtrlReset:
            return "Ctrl reset";
        case Caller::kCloseWithOk:
            return "Close with OK";
    }
    return "";
}

enum class Failure { kTwoOfThreeRefuse, kConsentDeclined };

struct RefusalCase {
    Caller caller;
    Failure failure;
};

std::string CaseName(const RefusalCase& row) {
    return fakes::RowName(std::string(CallerName(row.caller)) +
                          (row.failure == Failure::kTwoOfThreeRefuse ? " two of three refuse" : " declined"));
}

class WatchDnsRefusalTest : public ::testing::TestWithParam<RefusalCase> {
  protected:
    void SetUp() override {
        rig.StartOn("10.0.0.1");
        rig.network.tcpipInterfaces = {"{A}", "{B}", "{C}"};
        rig.query.setRows({IpEnabledRow("{A}"), IpEnabledRow("{B}"), IpEnabledRow("{C}")});
        rig.network.currentList = "10.0.0.7";
        rig.watch.OnSelectionClicked(kSelectionOpenDns);
        if (GetParam().caller == Caller::kApplyDefault)
            rig.watch.OnSelectionClicked(kSelectionDefault);
        if (GetParam().failure == Failure::kTwoOfThreeRefuse)
            rig.network.refusingAdapters = {{"{B}", kAccessDenied}, {"{C}", 84}};
        else
            rig.network.declineWith = kDeclined;
    }

    // Runs the caller; answers the reports the user sees.
    std::vector<std::string> Act() {
        std::vector<std::string> reports;
        try {
            switch (GetParam().caller) {
                case Caller::kApplyDefault:
                case Caller::kApplyOpenDns:
                    rig.watch.OnApplyClicked();
                    break;
                case Caller::kCtrlReset:
                    rig.watch.OnCheckButtonReleased(true);
                    break;
                case Caller::kCloseWithOk:
                    rig.dialogs.exitResult = kDialogResultOk;
                    closeAllowed = rig.watch.OnCloseQuery();
                    break;
            }
        } catch (const std::exception& error) {
            reports.push_back(error.what());
        }
        reports.insert(reports.end(), rig.dialogs.errors.begin(), rig.dialogs.errors.end());
        return reports;
    }

    WatchRig rig;
    bool closeAllowed = true;
};

TEST_P(WatchDnsRefusalTest, UserHearsOnceAndTheActionCountsAsNotDone) {
    const RefusalCase& row = GetParam();
    SCOPED_TRACE(CaseName(row));
    const std::vector<std::string> reports = Act();

    ASSERT_EQ(reports.size(), 1u) << "one report per action";
    EXPECT_EQ(rig.network.changeRequests, 1) << "one request (one consent prompt) per action";
    if (row.failure == Failure::kTwoOfThreeRefuse) {
        EXPECT_NE(reports[0].find("{B}: Access denied"), std::string::npos) << reports[0];
        EXPECT_NE(reports[0].find("{C}: IP not enabled on adapter"), std::string::npos) << reports[0];
        EXPECT_EQ(reports[0].find("{A}"), std::string::npos) << "the changed adapter is not named";
        ASSERT_EQ(rig.network.log.size(), 2u);
        EXPECT_EQ(rig.network.log[0].rfind("set {A} ", 0), 0u);
        EXPECT_EQ(rig.network.log[1], "flush") << "the adapter that changed gets its cache flushed";
    } else {
        EXPECT_EQ(reports[0], kDeclined);
        EXPECT_TRUE(rig.network.log.empty()) << "nothing changed, nothing flushed";
    }
    EXPECT_TRUE(rig.dialogs.notices.empty());

    switch (row.caller) {
        case Caller::kApplyDefault:
        case Caller::kApplyOpenDns:
            EXPECT_TRUE(rig.watch.selectionPending());
            EXPECT_TRUE(rig.window.applyShown);
            EXPECT_EQ(rig.watch.references().recentDnsList, "10.0.0.1") << "the reference is not renewed";
            break;
        case Caller::kCloseWithOk:
            EXPECT_FALSE(closeAllowed) << "the window stays open";
            EXPECT_TRUE(rig.watch.selectionPending());
            break;
        case Caller::kCtrlReset:
            break;
    }
}

std::vector<RefusalCase> RefusalCases() {
    std::vector<RefusalCase> cases;
    for (const Caller caller : {Caller::kApplyDefault, Caller::kApplyOpenDns, Caller::kCtrlReset, Caller::kCloseWithOk})
        for (const Failure failure : {Failure::kTwoOfThreeRefuse, Failure::kConsentDeclined})
            cases.push_back({caller, failure});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Table,
                         WatchDnsRefusalTest,
                         ::testing::ValuesIn(RefusalCases()),
                         [](const ::testing::TestParamInfo<RefusalCase>& info) { return CaseName(info.param); });

TEST(WatchDnsRestartTest, ChangeThatNeedsARestartSaysSoOnceAndCountsAsDone) {
    WatchRig rig;
    rig.StartOn("10.0.0.1");
    rig.query.setRows({IpEnabledRow("{A}"), IpEnabledRow("{B}")});
    rig.network.restartingAdapters = {"{A}", "{B}"};
    rig.network.currentList = "208.67.222.222,208.67.220.220";
    rig.watch.OnSelectionClicked(kSelectionOpenDns);
    rig.watch.OnApplyClicked();
    EXPECT_EQ(rig.dialogs.notices, std::vector<std::string>{kRestartNeededNotice});
    EXPECT_TRUE(rig.dialogs.errors.empty());
    EXPECT_FALSE(rig.watch.selectionPending());
}

// "Fix It" + "Yes" whose revert is refused or declined: the tick reports it (the window shows what escapes the
// tick), and the alert comes back at the next check, as after "No".
class WatchRevertRefusalTest : public ::testing::TestWithParam<Failure> {};

TEST_P(WatchRevertRefusalTest, RefusedRevertIsReportedAndTheAlertComesBack) {
    WatchRig rig;
    rig.StartOn("10.0.0.1");
    rig.SetDhcpRecord(false);
    rig.watch.OnSelectionClicked(kSelectionOpenDns);
    rig.dialogs.confirmAnswer = true;
    if (GetParam() == Failure::kTwoOfThreeRefuse)
        rig.network.refusingAdapters = {{kRigAdapter, kAccessDenied}};
    else
        rig.network.declineWith = kDeclined;
    rig.network.currentList = "10.0.0.9";

    try {
        rig.watch.OnRecentCheckTick();
        FAIL() << "a revert that did not happen must not pass in silence";
    } catch (const std::exception& error) {
        const std::string expected = GetParam() == Failure::kTwoOfThreeRefuse
                                         ? std::string(kRigAdapter) + " were not changed: Access denied"
                                         : std::string(kDeclined);
        EXPECT_NE(std::string(error.what()).find(expected), std::string::npos) << error.what();
    }
    EXPECT_EQ(rig.network.changeRequests, 1);
    EXPECT_EQ(rig.watch.selectionItem(), kSelectionOpenDns) << "the selection is not reset";

    rig.network.refusingAdapters.clear();
    rig.network.declineWith.reset();
    rig.dialogs.confirmAnswer = false;
    rig.watch.OnRecentCheckTick();
    EXPECT_EQ(rig.dialogs.alerts, 2) << "the unchanged list alerts again";
}

INSTANTIATE_TEST_SUITE_P(Table,
                         WatchRevertRefusalTest,
                         ::testing::Values(Failure::kTwoOfThreeRefuse, Failure::kConsentDeclined),
                         [](const ::testing::TestParamInfo<Failure>& info) {
                             return std::string(info.param == Failure::kTwoOfThreeRefuse ? "Refused" : "Declined");
                         });

}  // namespace
}  // namespace quillcrest
