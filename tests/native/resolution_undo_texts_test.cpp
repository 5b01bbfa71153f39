#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "resolution/undo_confirmation.h"
#include "resolution/undo_preparation.h"
#include "resolution/undo_report.h"
#include "support/resolution_undo_scenario.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

constexpr char kHostsSetting[] = "hosts file (\"C:\\Windows\\System32\\drivers\\etc\\hosts\")";
constexpr char kNetworkLine[] =
    "IPv6 DNS servers (\"Wi-Fi\"): not changed: the network itself hands out fd00::bad (through DHCPv6 or a router "
    "advertisement), so setting the adapter back to automatic servers would bring the same back at once. What you "
    "can do: leave that network, or turn IPv6 off for this adapter in its properties (untick \"Internet Protocol "
    "Version 6 (TCP/IPv6)\").\n";
constexpr char kNewAdapterLine[] =
    "network adapter with DNS servers (\"VPN\"): nothing to put back: the adapter is new since the baseline was "
    "taken.\n";
constexpr char kPolicySentence[] =
    "\nA group policy of your organisation may write the policy rules and policy DNS servers again.";

TEST(ResolutionUndoConfirmationTest, NamesEveryItemAndWhatStaysAsItIs) {
    const fakes::UndoScenario scenario;
    EXPECT_EQ(UndoConfirmationText(scenario.plan),
              std::string("Quillcrest will put these DNS settings back as the baseline recorded them:\n"
                          "IPv6 DNS servers (\"Ethernet\"): set back to fd00::53\n"
                          "name resolution rule \".\" (\"policy rules\"): delete it\n"
                          "name resolution rule \".bank.example\" (\"local rules\"): delete it\n") +
                  kHostsSetting +
                  ": write back its recorded content (21 bytes)\n"
                  "\n"
                  "Left as they are:\n"
                  "IPv6 DNS servers (\"Wi-Fi\"): handed out by the network, which would hand them out again\n"
                  "network adapter with DNS servers (\"VPN\"): new since the baseline: nothing to put back\n"
                  "\n"
                  "Put these settings back? If you did not ask for it just now, choose No.");
}

struct ReportRow {
    const char* name;
    // One per item of the scenario's plan.
    std::vector<UndoItemOutcome> outcomes;
    std::string report;
};

void PrintTo(const ReportRow& row, std::ostream* out) {
    *out << row.name;
}

std::vector<ReportRow> ReportRows() {
    const UndoItemOutcome done{};
    const std::string notPutBack = std::string("\nNot put back:\n") + kNetworkLine + kNewAdapterLine;
    const std::string policyDeleted = "name resolution rule \".\" (\"policy rules\"): deleted\n";
    const std::string localDeleted = "name resolution rule \".bank.example\" (\"local rules\"): deleted\n";
    const std::string ethernetSetBack = "IPv6 DNS servers (\"Ethernet\"): set back to fd00::53\n";
    return {
        {"Everything_done",
         {done, done, done, done},
         "Put back:\n" + ethernetSetBack + policyDeleted + localDeleted + kHostsSetting +
             ": written back (21 bytes)\n" + notPutBack + kPolicySentence},
        {"Hosts_file_in_use",
         {done, done, done, {UndoRefusal::FileInUse, 32}},
         "Put back:\n" + ethernetSetBack + policyDeleted + localDeleted + "\nNot put back:\n" + kHostsSetting +
             ": not written: another program holds the file open, so it was left as it was.\n" + kNetworkLine +
             kNewAdapterLine + "\nWhat was put back stays as it is now.\n" + kPolicySentence},
        {"Policy_key_denied_and_servers_not_settable_by_program",
         {{UndoRefusal::FunctionMissing, 0}, {UndoRefusal::AccessDenied, 5}, done, done},
         "Put back:\n" + localDeleted + kHostsSetting + ": written back (21 bytes)\n" +
             "\nNot put back:\n"
             "IPv6 DNS servers (\"Ethernet\"): not set: this Windows cannot set IPv6 DNS servers by program (that "
             "takes Windows 10 version 2004 or later). Set them by hand: in the adapter's properties, open "
             "\"Internet Protocol Version 6 (TCP/IPv6)\" and enter fd00::53 under \"Use the following DNS server "
             "addresses\".\n"
             "name resolution rule \".\" (\"policy rules\"): not put back: access was denied; a policy of the "
             "organisation holds this key.\n" +
             kNetworkLine + kNewAdapterLine + "\nWhat was put back stays as it is now.\n" + kPolicySentence},
        {"Nothing_done_for_reasons_with_and_without_codes",
         {{UndoRefusal::Failed, 1018},
          {UndoRefusal::Failed, 0},
          {UndoRefusal::AccessDenied, 5},
          {UndoRefusal::NotTheHostsFileInUse, 0}},
         "Nothing was put back.\n"
         "\nNot put back:\n"
         "IPv6 DNS servers (\"Ethernet\"): not put back: Windows refused it (error 1018).\n"
         "name resolution rule \".\" (\"policy rules\"): not put back: Windows refused it.\n"
         "name resolution rule \".bank.example\" (\"local rules\"): not put back: access was denied.\n" +
             std::string(kHostsSetting) +
             ": not written: Windows now reads its hosts file from another place, so this file was left as it "
             "was.\n" +
             kNetworkLine + kNewAdapterLine + kPolicySentence},
        {"Items_without_an_outcome_are_not_reported_done",
         {done, done},
         "Put back:\n" + ethernetSetBack + policyDeleted + "\nNot put back:\n" +
             "name resolution rule \".bank.example\" (\"local rules\"): not put back: Windows refused it.\n" +
             kHostsSetting + ": not put back: Windows refused it.\n" + kNetworkLine + kNewAdapterLine +
             "\nWhat was put back stays as it is now.\n" + kPolicySentence},
    };
}

class ResolutionUndoReportTest : public ::testing::TestWithParam<ReportRow> {};

TEST_P(ResolutionUndoReportTest, NamesWhatWasPutBackAndWhyTheRestWasNot) {
    const ReportRow& row = GetParam();
    SCOPED_TRACE(row.name);
    const fakes::UndoScenario scenario;
    EXPECT_EQ(UndoReportText(scenario.plan, UndoOutcome{row.outcomes}), row.report);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, ResolutionUndoReportTest, ::testing::ValuesIn(ReportRows()), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

// The reasons of the hosts file and of an adapter going back to automatic servers, each in its words.
TEST(ResolutionUndoReportReasonsTest, HostsFileAndAutomaticServersSayWhatToDo) {
    UndoPlan plan;
    plan.items.push_back(UndoItem{"IPv6 DNS servers (\"Wi-Fi\")", "set back to automatic servers",
                                  "set back to automatic servers", false, SetAdapterIpv6Servers{"{W}", {}}});
    plan.items.push_back(UndoItem{kHostsSetting, "write", "written", false, RestoreHostsFile{"C:\\h", nullptr}});
    plan.leftAlone.push_back(UndoLeftAlone{kHostsSetting, UndoImpossibility::HostsFileTooLarge, ""});

    EXPECT_EQ(UndoReportText(plan, UndoOutcome{{{UndoRefusal::FunctionMissing, 0}, {UndoRefusal::SecurityNotKept, 5}}}),
              std::string("Nothing was put back.\n"
                          "\nNot put back:\n"
                          "IPv6 DNS servers (\"Wi-Fi\"): not set: this Windows cannot set IPv6 DNS servers by program "
                          "(that takes Windows 10 version 2004 or later). Set them by hand: in the adapter's "
                          "properties, open \"Internet Protocol Version 6 (TCP/IPv6)\" and choose \"Obtain DNS "
                          "server address automatically\".\n") +
                  kHostsSetting +
                  ": not written: its owner and permissions could not be kept for the new content, so the file was "
                  "left as it was.\n" +
                  kHostsSetting +
                  ": not written back: the file was larger than 16 MiB when the baseline was taken, so only its "
                  "digest was kept, not its content.");
    EXPECT_EQ(UndoReportText(plan, UndoOutcome{{{}, {UndoRefusal::LocationNotPutBack, 0}}}),
              std::string("Put back:\n"
                          "IPv6 DNS servers (\"Wi-Fi\"): set back to automatic servers\n"
                          "\nNot put back:\n") +
                  kHostsSetting +
                  ": not written: its location could not be put back first, so the file was left as it was.\n" +
                  kHostsSetting +
                  ": not written back: the file was larger than 16 MiB when the baseline was taken, so only its "
                  "digest was kept, not its content.\n"
                  "\nWhat was put back stays as it is now.");
}

// An "Undo" that carries out nothing says why, and never names anything as put back.
struct NotReadyRow {
    const char* name;
    DnsBaselineReading baseline;
    // The settings now: the scenario's changed ones, or its baseline (nothing differs).
    bool changed;
    std::string report;
};

void PrintTo(const NotReadyRow& row, std::ostream* out) {
    *out << row.name;
}

std::vector<NotReadyRow> NotReadyRows() {
    const fakes::UndoScenario scenario;
    return {
        {"No_baseline",
         {},
         true,
         "Nothing was put back: there is no stored baseline (DNSBaseline.txt beside the program) to put back."},
        {"Damaged_baseline",
         {DnsBaselineStatus::Damaged, {}, "line 3: unknown record"},
         true,
         "Nothing was put back: the stored baseline cannot be used (line 3: unknown record)."},
        {"Nothing_differs",
         {DnsBaselineStatus::Read, scenario.baseline, {}},
         false,
         "Nothing was put back: the DNS settings no longer differ from the baseline."},
    };
}

class ResolutionUndoNotReadyTest : public ::testing::TestWithParam<NotReadyRow> {};

TEST_P(ResolutionUndoNotReadyTest, SaysWhyNothingWasPutBack) {
    const NotReadyRow& row = GetParam();
    SCOPED_TRACE(row.name);
    const fakes::UndoScenario scenario;
    const PreparedUndo prepared = PrepareUndo(row.baseline, row.changed ? scenario.current : scenario.baseline);
    ASSERT_NE(prepared.status, PreparedUndo::Status::Ready);
    EXPECT_EQ(UndoNotReadyText(prepared), row.report);
}

INSTANTIATE_TEST_SUITE_P(Statuses,
                         ResolutionUndoNotReadyTest,
                         ::testing::ValuesIn(NotReadyRows()),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

// Differences that no program can put back are each named with their reason, under "Nothing was put back".
TEST(ResolutionUndoNotReadyTest, OnlyDifferencesLeftAloneAreNamedWithTheirReasons) {
    const fakes::UndoScenario scenario;
    ResolutionSettings withNewAdapter = scenario.baseline;
    withNewAdapter.adapters.adapters.push_back(AdapterDns{"{VPN}", "VPN", {}, {"10.8.0.1"}});
    const PreparedUndo prepared = PrepareUndo({DnsBaselineStatus::Read, scenario.baseline, {}}, withNewAdapter);
    std::string newAdapter = kNewAdapterLine;
    newAdapter.pop_back();
    EXPECT_EQ(UndoNotReadyText(prepared), "Nothing was put back.\n\nNot put back:\n" + newAdapter);
}

// Before it asks: the baseline decides whether there is anything to ask about.
TEST(ResolutionUndoPreparationTest, AsksOnlyWhenSomethingCanBePutBack) {
    const fakes::UndoScenario scenario;
    DnsBaselineReading reading;
    reading.status = DnsBaselineStatus::Read;
    reading.settings = scenario.baseline;

    const PreparedUndo ready = PrepareUndo(reading, scenario.current);
    EXPECT_EQ(ready.status, PreparedUndo::Status::Ready);
    EXPECT_EQ(ready.plan.items.size(), scenario.plan.items.size());
    EXPECT_EQ(ready.confirmationText, UndoConfirmationText(scenario.plan));

    const PreparedUndo nothing = PrepareUndo(reading, scenario.baseline);
    EXPECT_EQ(nothing.status, PreparedUndo::Status::NothingToPutBack);
    EXPECT_TRUE(nothing.confirmationText.empty());

    ResolutionSettings withNewAdapter = scenario.baseline;
    withNewAdapter.adapters.adapters.push_back(AdapterDns{"{VPN}", "VPN", {}, {"10.8.0.1"}});
    const PreparedUndo onlyLeftAlone = PrepareUndo(reading, withNewAdapter);
    EXPECT_EQ(onlyLeftAlone.status, PreparedUndo::Status::NothingToPutBack);
    EXPECT_EQ(onlyLeftAlone.plan.leftAlone.size(), 1u);

    EXPECT_EQ(PrepareUndo(DnsBaselineReading{}, scenario.current).status, PreparedUndo::Status::NoBaseline);
    const PreparedUndo damaged =
        PrepareUndo(DnsBaselineReading{DnsBaselineStatus::Damaged, {}, "line 3: unknown record"}, scenario.current);
    EXPECT_EQ(damaged.status, PreparedUndo::Status::BaselineNotUsable);
    EXPECT_EQ(damaged.problem, "line 3: unknown record");
    EXPECT_TRUE(damaged.plan.items.empty());
}

}  // namespace
}  // namespace quillcrest
