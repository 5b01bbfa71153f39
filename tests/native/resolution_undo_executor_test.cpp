#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "resolution/undo_executor.h"
#include "settings/registry_api.h"
#include "support/resolution_fake_undo_actions.h"
#include "support/resolution_settings_builder.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

constexpr char kAdapter[] = "{E1000000-0000-4000-8000-000000000001}";
constexpr char kRuleKey[] = "SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters\\DnsPolicyConfig\\{R}";
constexpr char kAddedRuleKey[] = "SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters\\DnsPolicyConfig\\{X}";
constexpr char kTcpipParameters[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr char kHostsPath[] = "C:\\Windows\\System32\\drivers\\etc\\hosts";
constexpr char kHostsBytes[] = "127.0.0.1 localhost\r\n";

UndoItem Item(UndoAction action) {
    return UndoItem{"setting", "to do", "done", false, std::move(action)};
}

UndoItem Servers() {
    return Item(SetAdapterIpv6Servers{kAdapter, {"fd00::53", "fd00::54"}});
}
UndoItem RuleBack() {
    return Item(
        RestoreRegistryKey{kRuleKey,
                           std::vector<RegistryValue>{{"Name", kRegMultiSz, fakes::MultiSzData({".corp"}), 0},
                                                      {"GenericDNSServers", kRegSz, fakes::SzData("10.0.0.53"), 0}},
                           {"ConfigOptions"}});
}
UndoItem RuleGone() {
    return Item(RestoreRegistryKey{kAddedRuleKey, std::nullopt, {}});
}
UndoItem Location() {
    return Item(
        RestoreRegistryValue{kTcpipParameters, "DataBasePath",
                             RegistryValue{"DataBasePath", kRegExpandSz, fakes::SzData("%SystemRoot%\\etc"), 0}});
}
UndoItem Hosts() {
    return Item(RestoreHostsFile{kHostsPath, HostsContentFromBytes(kHostsBytes)});
}
UndoItem NoHosts() {
    return Item(RestoreHostsFile{kHostsPath, nullptr});
}

const std::string kServersStep = std::string("set-servers ") + kAdapter + " fd00::53,fd00::54";
const std::string kRuleSteps[] = {std::string("set-value ") + kRuleKey + " Name REG_MULTI_SZ .corp",
                                  std::string("set-value ") + kRuleKey + " GenericDNSServers REG_SZ 10.0.0.53",
                                  std::string("delete-value ") + kRuleKey + " ConfigOptions"};
const std::string kRuleGoneStep = std::string("delete-key ") + kAddedRuleKey;
const std::string kLocationStep =
    std::string("set-value ") + kTcpipParameters + " DataBasePath REG_EXPAND_SZ %SystemRoot%\\etc";
const std::string kHostsStep = std::string("replace-hosts ") + kHostsPath + " 21 bytes";

struct ExecutionRow {
    const char* name;
    std::vector<UndoItem> items;
    // Refused steps, by their first two words, and the hosts path the registry names now.
    std::map<std::string, UndoItemOutcome> refusals;
    std::optional<std::string> hostsPathNow;
    std::vector<std::string> steps;
    std::vector<UndoItemOutcome> outcomes;
};

void PrintTo(const ExecutionRow& row, std::ostream* out) {
    *out << row.name;
}

const UndoItemOutcome kDone{};
const UndoItemOutcome kDenied{UndoRefusal::AccessDenied, 5};

std::vector<ExecutionRow> ExecutionRows() {
    const std::string ruleHead = std::string("set-value ") + kRuleKey;
    const std::string locationHead = std::string("set-value ") + kTcpipParameters;
    return {
        {"Every_kind_in_order",
         {Servers(), RuleBack(), RuleGone(), Location(), Hosts()},
         {},
         kHostsPath,
         {kServersStep, kRuleSteps[0], kRuleSteps[1], kRuleSteps[2], kRuleGoneStep, kLocationStep, kHostsStep},
         {kDone, kDone, kDone, kDone, kDone}},
        {"Refused_item_stops_only_itself",
         {RuleBack(), RuleGone(), Hosts()},
         {{ruleHead, kDenied}},
         kHostsPath,
         {kRuleSteps[0], kRuleGoneStep, kHostsStep},
         {kDenied, kDone, kDone}},
        {"Missing_function_refuses_the_servers",
         {Servers(), RuleGone()},
         {{std::string("set-servers ") + kAdapter, {UndoRefusal::FunctionMissing, 0}}},
         kHostsPath,
         {kServersStep, kRuleGoneStep},
         {{UndoRefusal::FunctionMissing, 0}, kDone}},
        {"Hosts_file_in_use_is_refused",
         {Hosts()},
         {{std::string("replace-hosts ") + kHostsPath, {UndoRefusal::FileInUse, 32}}},
         kHostsPath,
         {kHostsStep},
         {{UndoRefusal::FileInUse, 32}}},
        {"Hosts_file_is_written_where_the_registry_names_it_in_other_letter_case",
         {Hosts()},
         {},
         "c:\\windows\\system32\\DRIVERS\\etc\\hosts",
         {kHostsStep},
         {kDone}},
        {"Hosts_file_is_not_written_where_windows_reads_another",
         {Hosts()},
         {},
         "C:\\ProgramData\\elsewhere\\hosts",
         {},
         {{UndoRefusal::NotTheHostsFileInUse, 0}}},
        {"Hosts_file_is_not_written_where_its_place_cannot_be_told",
         {NoHosts()},
         {},
         std::nullopt,
         {},
         {{UndoRefusal::NotTheHostsFileInUse, 0}}},
        {"Hosts_file_the_baseline_had_not_is_deleted",
         {NoHosts()},
         {},
         kHostsPath,
         {std::string("delete-hosts ") + kHostsPath},
         {kDone}},
        {"Location_refused_keeps_the_hosts_file_as_it_is",
         {Location(), Hosts()},
         {{locationHead, kDenied}},
         kHostsPath,
         {kLocationStep},
         {kDenied, {UndoRefusal::LocationNotPutBack, 0}}},
    };
}

class ResolutionUndoExecutorTest : public ::testing::TestWithParam<ExecutionRow> {};

TEST_P(ResolutionUndoExecutorTest, CarriesOutEachItemWithItsOwnOutcome) {
    const ExecutionRow& row = GetParam();
    SCOPED_TRACE(row.name);
    fakes::FakeUndoActions actions;
    actions.refusals = row.refusals;
    actions.hostsPathNow = row.hostsPathNow;
    const UndoOutcome outcome = CarryOutUndo(UndoPlan{row.items, {}}, actions);
    EXPECT_EQ(actions.steps, row.steps);
    EXPECT_EQ(outcome.items, row.outcomes);
}

INSTANTIATE_TEST_SUITE_P(Plans, ResolutionUndoExecutorTest, ::testing::ValuesIn(ExecutionRows()), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

// The codes a system step answers, as the executor and the reports take them.
TEST(ResolutionUndoOutcomeTest, ErrorCodesGiveTheirRefusals) {
    EXPECT_EQ(UndoOutcomeOfError(0), (UndoItemOutcome{}));
    EXPECT_EQ(UndoOutcomeOfError(5), (UndoItemOutcome{UndoRefusal::AccessDenied, 5}));
    EXPECT_EQ(UndoOutcomeOfError(32), (UndoItemOutcome{UndoRefusal::FileInUse, 32}));
    EXPECT_EQ(UndoOutcomeOfError(33), (UndoItemOutcome{UndoRefusal::FileInUse, 33}));
    EXPECT_EQ(UndoOutcomeOfError(1018), (UndoItemOutcome{UndoRefusal::Failed, 1018}));
}

}  // namespace
}  // namespace quillcrest
