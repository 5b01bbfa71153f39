#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "netconfig/adapter_method_return.h"
#include "netconfig/connection_names.h"
#include "netconfig/dns_change_outcome.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

constexpr char kWired[] = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr char kWireless[] = "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}";
constexpr char kThird[] = "{11111111-2222-3333-4444-555555555555}";
constexpr char kMethodMissing[] = "Windows could not change them, because the method is not available on this system";

ConnectionNames WiredOnly() {
    ConnectionNames names;
    names.Add("{4d36e972-e325-11ce-bfc1-08002be10318}", "Ethernet");
    return names;
}

// Refusals as an action ends with them, and the report the user reads.
struct ReportCase {
    const char* name;
    std::vector<AdapterRefusal> refusals;
    ConnectionNames names;
    std::string report;
};

const std::vector<ReportCase>& ReportCases() {
    static const std::vector<ReportCase> cases = {
        {"one named adapter",
         {{kWired, 91, "Access denied"}},
         WiredOnly(),
         "The DNS servers of the adapter \"Ethernet\" were not changed: Access denied"},
        {"one adapter without a name",
         {{kWireless, 91, "Access denied"}},
         WiredOnly(),
         std::string("The DNS servers of the adapter ") + kWireless + " were not changed: Access denied"},
        {"no names could be read",
         {{kWired, kAdapterMethodMissing, kMethodMissing}},
         ConnectionNames(),
         std::string("The DNS servers of the adapter ") + kWired + " were not changed: " + kMethodMissing},
        {"two adapters, one named",
         {{kWired, kAdapterMethodMissing, kMethodMissing}, {kWireless, 84, "IP not enabled on adapter"}},
         WiredOnly(),
         std::string("The DNS servers of these adapters were not changed:\nEthernet: ") + kMethodMissing + "\n" +
             kWireless + ": IP not enabled on adapter"},
        {"adapters refused for one reason share its line",
         {{kWired, kAdapterMethodMissing, kMethodMissing},
          {kWireless, 84, "IP not enabled on adapter"},
          {kThird, kAdapterMethodMissing, kMethodMissing}},
         WiredOnly(),
         std::string("The DNS servers of these adapters were not changed:\nEthernet, ") + kThird + ": " +
             kMethodMissing + "\n" + kWireless + ": IP not enabled on adapter"},
    };
    return cases;
}

class DnsRefusalReportTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(DnsRefusalReportTest, NamesEachAdapterByItsConnectionNameAndGivesTheReason) {
    const ReportCase& row = GetParam();
    SCOPED_TRACE(row.name);
    DnsChangeOutcome outcome{row.refusals, false};
    NameRefusedAdapters(outcome, row.names);
    EXPECT_EQ(DnsRefusalText(outcome.refusals), row.report);
    EXPECT_EQ(std::string(EDnsChangeRefused(outcome).what()), row.report) << "the report shows the same text";
}

INSTANTIATE_TEST_SUITE_P(Table,
                         DnsRefusalReportTest,
                         ::testing::ValuesIn(ReportCases()),
                         [](const ::testing::TestParamInfo<ReportCase>& info) {
                             return fakes::RowName(info.param.name);
                         });

// An error the method call raised, and the refusal it makes.
struct FailedCallCase {
    const char* name;
    std::uint32_t errorCode;
    std::uint32_t refusalCode;
    std::string reason;
};

const FailedCallCase kFailedCallCases[] = {
    {"unknown name to the scripting layer", 0x80020006, kAdapterMethodMissing, kMethodMissing},
    {"member not found", 0x80020003, kAdapterMethodMissing, kMethodMissing},
    {"method not found", 0x80041002, kAdapterMethodMissing, kMethodMissing},
    {"method not available", 0x8004102E, kAdapterMethodMissing, kMethodMissing},
    {"method not implemented", 0x80041055, kAdapterMethodMissing, kMethodMissing},
    {"method disabled", 0x80041056, kAdapterMethodMissing, kMethodMissing},
    {"operation not supported", 0x8004100C, kAdapterMethodMissing, kMethodMissing},
    {"not implemented", 0x80004001, kAdapterMethodMissing, kMethodMissing},
    {"access denied keeps its message", 0x80070005, kAdapterMethodCallFailed, "Access is denied."},
    {"invalid method parameters keep their message", 0x8004102F, kAdapterMethodCallFailed,
     "8004102F: The parameters of the method call are not valid"},
    {"generic failure keeps its message", 0x80004005, kAdapterMethodCallFailed, "Unspecified error"},
};

class RefusalOfFailedCallTest : public ::testing::TestWithParam<FailedCallCase> {};

TEST_P(RefusalOfFailedCallTest, MissingMethodIsSaidInWordsAndOtherFailuresKeepTheirMessage) {
    const FailedCallCase& row = GetParam();
    SCOPED_TRACE(row.name);
    // The message the call raised is the one an error of that code carries; a missing method replaces it.
    const std::string raised = row.refusalCode == kAdapterMethodMissing ? "80020006: Unknown failure" : row.reason;
    const AdapterRefusal refusal = RefusalOfFailedCall(kWired, row.errorCode, raised);
    EXPECT_EQ(refusal.settingId, kWired);
    EXPECT_EQ(refusal.returnCode, row.refusalCode);
    EXPECT_EQ(refusal.reason, row.reason);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         RefusalOfFailedCallTest,
                         ::testing::ValuesIn(kFailedCallCases),
                         [](const ::testing::TestParamInfo<FailedCallCase>& info) {
                             return fakes::RowName(info.param.name);
                         });

TEST(ConnectionNamesTest, UnreadableNamesLeaveEveryAdapterNamedByItsIdentifier) {
    const ConnectionNames none =
        ConnectionNamesOrNone([]() -> ConnectionNames { throw std::runtime_error("the adapters cannot be read"); });
    EXPECT_EQ(AdapterLabel(kWired, none), kWired);
    EXPECT_EQ(AdapterLabel(kWired, ConnectionNamesOrNone(nullptr)), kWired);
    EXPECT_EQ(AdapterLabel(kWired, ConnectionNamesOrNone(WiredOnly)), "Ethernet");
}

}  // namespace
}  // namespace quillcrest
