#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "resolution/registry_value_text.h"
#include "resolution/resolution_comparison.h"
#include "resolution/undo_plan.h"
#include "settings/registry_api.h"
#include "support/resolution_settings_builder.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using fakes::Machine;

constexpr char kEthernet[] = "{E1000000-0000-4000-8000-000000000001}";
constexpr char kWifi[] = "{E1000000-0000-4000-8000-000000000002}";
constexpr char kRule[] = "{A5000000-0000-4000-8000-000000000001}";
constexpr char kNewRule[] = "{A5000000-0000-4000-8000-0000000000EE}";
constexpr char kWellKnownServer[] = "192.0.2.53";
constexpr char kHosts[] = "# hosts of this PC\r\n127.0.0.1 localhost\r\n10.0.0.1 intranet\r\n";
constexpr char kHostsPath[] = "C:\\Windows\\System32\\drivers\\etc\\hosts";
constexpr char kDnscache[] = "SYSTEM\\CurrentControlSet\\Services\\Dnscache";
constexpr char kPolicyClient[] = "SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient";
constexpr char kTcpipParameters[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";

std::string InterfaceDohKey(const std::string& adapter, const std::string& address) {
    return adapter + "\\DohInterfaceSettings\\Doh\\" + address;
}

// A PC at home: Ethernet with a static IPv6 server, Wi-Fi given one by the router, a local rule, an
// encrypted-DNS policy, a server's template and an adapter's one, the hosts file's folder and the file.
Machine Home() {
    Machine machine;
    machine.Adapter(kEthernet, "Ethernet", {"fd00::53"}, {"192.168.1.1"})
        .Adapter(kWifi, "Wi-Fi", {"fd00::1"}, {"192.168.1.1"})
        .Sz(RegistryStore::StaticIpv6Servers, kEthernet, "NameServer", "fd00::53")
        .Rule(RegistryStore::LocalRules, kRule, ".corp.example", "10.0.0.53")
        .Dword(RegistryStore::LocalRules, kRule, "ConfigOptions", 8)
        .Dword(RegistryStore::PolicyClient, "", "DoHPolicy", 2)
        .Sz(RegistryStore::DohWellKnownServers, kWellKnownServer, "Template", "https://dns.example/dns-query")
        .Sz(RegistryStore::InterfaceDoh, InterfaceDohKey(kEthernet, kWellKnownServer), "DohTemplate",
            "https://dns.example/q")
        .Value(RegistryStore::TcpipParameters, "", "DataBasePath", kRegExpandSz,
               fakes::SzData("%SystemRoot%\\System32\\drivers\\etc"))
        .Hosts(kHosts);
    return machine;
}

ResolutionSettings HomeChanged(const std::function<void(Machine&)>& change) {
    Machine machine = Home();
    change(machine);
    return machine.settings;
}

void SetIpv6(Machine& machine, const std::string& id, std::vector<std::string> servers) {
    for (AdapterDns& adapter : machine.settings.adapters.adapters) {
        if (adapter.id == id)
            adapter.ipv6Servers = servers;
    }
}

void RemoveValue(Machine& machine, RegistryStore store, const std::string& path, const std::string& name) {
    std::vector<RegistryValue>& values = machine.Key(store, path).values;
    values.erase(std::remove_if(values.begin(), values.end(), [&](const RegistryValue& v) { return v.name == name; }),
                 values.end());
}

void RemoveKey(Machine& machine, RegistryStore store, const std::string& path) {
    std::vector<RegistryKeyRecord>& keys = machine.settings.store(store).keys;
    keys.erase(std::remove_if(keys.begin(), keys.end(), [&](const RegistryKeyRecord& k) { return k.path == path; }),
               keys.end());
}

// How a row reads an action: what it writes, where.
struct ActionText {
    std::string operator()(const SetAdapterIpv6Servers& action) const {
        std::string text = "servers " + action.adapterId + " =";
        for (const std::string& server : action.servers)
            text += " " + server;
        return action.servers.empty() ? text + " automatic" : text;
    }
    std::string operator()(const RestoreRegistryKey& action) const {
        if (!action.values)
            return "delete key " + action.keyPath;
        std::string text = "key " + action.keyPath + " =";
        for (const RegistryValue& value : *action.values)
            text += " " + value.name + ":" + RegistryTypeName(value.type) + ":" + ReadableValue(value);
        for (const std::string& name : action.valuesToDelete)
            text += " -" + name;
        return text;
    }
    std::string operator()(const RestoreRegistryValue& action) const {
        if (!action.value)
            return "delete value " + action.keyPath + " " + action.valueName;
        return "value " + action.keyPath + " " + action.valueName + " = " + RegistryTypeName(action.value->type) + ":" +
               ReadableValue(*action.value);
    }
    std::string operator()(const RestoreHostsFile& action) const {
        return action.content ? "hosts " + action.path + " = " + action.content->bytes : "delete hosts " + action.path;
    }
};

std::string ItemText(const UndoItem& item) {
    return (item.byPolicy ? "[policy] " : "") + item.setting + ": " + item.toDo + " => " +
           std::visit(ActionText(), item.action);
}

std::string LeftAloneText(const UndoLeftAlone& left) {
    static const char* const kWhy[] = {"servers from the network", "new adapter",      "hosts file too large",
                                       "kept by size only",        "not a store item", "beyond one undo"};
    std::string text = left.setting + ": " + kWhy[static_cast<int>(left.why)];
    return left.servers.empty() ? text : text + " (" + left.servers + ")";
}

struct PlanRow {
    const char* name;
    ResolutionSettings baseline;
    ResolutionSettings current;
    std::vector<std::string> items;
    std::vector<std::string> leftAlone;
};

void PrintTo(const PlanRow& row, std::ostream* out) {
    *out << row.name;
}

std::vector<PlanRow> PlanRows() {
    const ResolutionSettings home = Home().settings;
    const std::string localRules = std::string(kDnscache) + "\\Parameters\\DnsPolicyConfig\\";
    const std::string policyRules = std::string(kPolicyClient) + "\\DnsPolicyConfig\\";
    const std::string wellKnown = std::string(kDnscache) + "\\Parameters\\DohWellKnownServers\\";
    const std::string homeRuleValues =
        " = Name:REG_MULTI_SZ:.corp.example GenericDNSServers:REG_SZ:10.0.0.53 ConfigOptions:REG_DWORD:8";
    const std::string hostsWrittenBack = "hosts file (\"" + std::string(kHostsPath) +
                                         "\"): write back its recorded content (" + std::to_string(sizeof kHosts - 1) +
                                         " bytes) => hosts " + kHostsPath + " = " + kHosts;
    return {
        {"Nothing_changed_plans_nothing", home, Home().settings, {}, {}},

        // --- IPv6 DNS servers ---
        {"Static_servers_changed_on_this_pc_go_back_to_the_baseline_ones",
         home,
         HomeChanged([](Machine& m) {
             SetIpv6(m, kEthernet, {"fd00::bad"});
             m.Sz(RegistryStore::StaticIpv6Servers, kEthernet, "NameServer", "fd00::bad");
         }),
         {"IPv6 DNS servers (\"Ethernet\"): set back to fd00::53 => servers " + std::string(kEthernet) + " = fd00::53"},
         {}},
        {"Servers_set_on_this_pc_where_the_baseline_set_none_go_back_to_automatic",
         home,
         HomeChanged([](Machine& m) {
             SetIpv6(m, kWifi, {"fd00::bad"});
             m.Sz(RegistryStore::StaticIpv6Servers, kWifi, "NameServer", "fd00::bad");
         }),
         {"IPv6 DNS servers (\"Wi-Fi\"): set back to automatic servers => servers " + std::string(kWifi) +
          " = automatic"},
         {}},
        {"Servers_from_the_network_are_left_alone",
         home,
         HomeChanged([](Machine& m) {
             SetIpv6(m, kWifi, {"fd00::bad", "fd00::bae"});
         }),
         {},
         {"IPv6 DNS servers (\"Wi-Fi\"): servers from the network (fd00::bad, fd00::bae)"}},
        {"Static_servers_removed_come_back_though_the_network_hands_out_others",
         home,
         HomeChanged([](Machine& m) {
             SetIpv6(m, kEthernet, {"fd00::bad"});
             RemoveKey(m, RegistryStore::StaticIpv6Servers, kEthernet);
         }),
         {"IPv6 DNS servers (\"Ethernet\"): set back to fd00::53 => servers " + std::string(kEthernet) + " = fd00::53"},
         {}},
        {"New_adapter_has_nothing_to_put_back",
         home,
         Home().Adapter("{VPN}", "VPN", {"fd00::99"}, {"10.8.0.1"}).settings,
         {},
         {"network adapter with DNS servers (\"VPN\"): new adapter"}},

        // --- name resolution rules: a key each ---
        {"Local_rule_added_is_deleted",
         home,
         Home().Rule(RegistryStore::LocalRules, kNewRule, ".bank.example", "203.0.113.7").settings,
         {"name resolution rule \".bank.example\" (\"local rules\"): delete it => delete key " + localRules + kNewRule},
         {}},
        {"Local_rule_removed_gets_every_value_back",
         home,
         HomeChanged([](Machine& m) { RemoveKey(m, RegistryStore::LocalRules, kRule); }),
         {"name resolution rule \".corp.example\" (\"local rules\"): set back to servers 10.0.0.53; ConfigOptions 8 "
          "=> key " +
          localRules + kRule + homeRuleValues},
         {}},
        {"Local_rule_changed_gets_its_values_back_and_loses_the_added_one",
         home,
         Home()
             .Sz(RegistryStore::LocalRules, kRule, "GenericDNSServers", "203.0.113.7")
             .Sz(RegistryStore::LocalRules, kRule, "IPSECCARestriction", "x")
             .settings,
         {"name resolution rule \".corp.example\" (\"local rules\"): set back to servers 10.0.0.53; "
          "IPSECCARestriction none => key " +
          localRules + kRule + homeRuleValues + " -IPSECCARestriction"},
         {}},
        {"Policy_rule_added_is_deleted_and_is_a_policy_setting",
         home,
         Home().Rule(RegistryStore::PolicyRules, kNewRule, ".", "203.0.113.7").settings,
         {"[policy] name resolution rule \".\" (\"policy rules\"): delete it => delete key " + policyRules + kNewRule},
         {}},
        {"Same_rule_in_both_stores_is_an_item_for_each",
         home,
         Home()
             .Rule(RegistryStore::PolicyRules, kNewRule, ".", "203.0.113.7")
             .Rule(RegistryStore::LocalRules, kNewRule, ".", "203.0.113.7")
             .settings,
         {"[policy] name resolution rule \".\" (\"policy rules\"): delete it => delete key " + policyRules + kNewRule,
          "name resolution rule \".\" (\"local rules\"): delete it => delete key " + localRules + kNewRule},
         {}},

        // --- policy values ---
        {"Policy_servers_added_are_deleted",
         home,
         Home().Sz(RegistryStore::PolicyClient, "", "NameServer", "203.0.113.7").settings,
         {"[policy] policy DNS servers (\"group policy\"): delete it => delete value " + std::string(kPolicyClient) +
          " NameServer"},
         {}},
        {"Policy_servers_changed_are_set_back",
         Home().Sz(RegistryStore::PolicyClient, "", "NameServer", "10.0.0.53").settings,
         Home().Sz(RegistryStore::PolicyClient, "", "NameServer", "203.0.113.7").settings,
         {"[policy] policy DNS servers (\"group policy\"): set back to 10.0.0.53 => value " +
          std::string(kPolicyClient) + " NameServer = REG_SZ:10.0.0.53"},
         {}},
        {"Policy_servers_removed_are_set_back",
         Home().Sz(RegistryStore::PolicyClient, "", "NameServer", "10.0.0.53 10.0.0.54").settings,
         home,
         {"[policy] policy DNS servers (\"group policy\"): set back to 10.0.0.53, 10.0.0.54 => value " +
          std::string(kPolicyClient) + " NameServer = REG_SZ:10.0.0.53 10.0.0.54"},
         {}},
        {"Encrypted_dns_policy_changed_is_set_back",
         home,
         Home().Dword(RegistryStore::PolicyClient, "", "DoHPolicy", 3).settings,
         {"[policy] encrypted DNS policy (\"group policy\"): set back to DoHPolicy 2 => value " +
          std::string(kPolicyClient) + " DoHPolicy = REG_DWORD:2"},
         {}},

        // --- encrypted-DNS templates: a key each ---
        {"Template_added_is_deleted",
         home,
         Home().Sz(RegistryStore::DohWellKnownServers, "203.0.113.7", "Template", "https://evil.example/q").settings,
         {"encrypted DNS template \"203.0.113.7\": delete it => delete key " + wellKnown + "203.0.113.7"},
         {}},
        {"Template_changed_is_set_back",
         home,
         Home().Sz(RegistryStore::DohWellKnownServers, kWellKnownServer, "Template", "https://evil.example/q").settings,
         {"encrypted DNS template \"192.0.2.53\": set back to https://dns.example/dns-query => key " + wellKnown +
          kWellKnownServer + " = Template:REG_SZ:https://dns.example/dns-query"},
         {}},
        {"Adapter_template_removed_is_put_back",
         home,
         HomeChanged([](Machine& m) {
             RemoveKey(m, RegistryStore::InterfaceDoh, InterfaceDohKey(kEthernet, kWellKnownServer));
         }),
         {"encrypted DNS template \"192.0.2.53\" (\"Ethernet\"): set back to https://dns.example/q => key " +
          std::string(kDnscache) + "\\InterfaceSpecificParameters\\" + InterfaceDohKey(kEthernet, kWellKnownServer) +
          " = DohTemplate:REG_SZ:https://dns.example/q"},
         {}},

        // --- hosts file ---
        {"Hosts_name_added_writes_the_whole_baseline_back",
         home,
         Home().Hosts(std::string(kHosts) + "203.0.113.7 bank.example\r\n").settings,
         {hostsWrittenBack},
         {}},
        {"Several_host_names_are_one_item",
         home,
         Home().Hosts("127.0.0.9 localhost\r\n203.0.113.7 bank.example\r\n").settings,
         {hostsWrittenBack},
         {}},
        {"Hosts_file_gone_is_written_back", home, Home().NoHosts().settings, {hostsWrittenBack}, {}},
        {"Hosts_file_the_baseline_had_not_is_deleted",
         Home().NoHosts().settings,
         home,
         {"hosts file (\"" + std::string(kHostsPath) +
          "\"): delete it (the baseline had no hosts file) => delete hosts " + kHostsPath},
         {}},
        {"Hosts_file_over_16_MiB_in_the_baseline_is_left_alone",
         Home().HostsTooLarge(17000000, std::string(64, 'a')).settings,
         Home().HostsTooLarge(17000001, std::string(64, 'b')).settings,
         {},
         {"hosts file (\"" + std::string(kHostsPath) + "\"): hosts file too large"}},
        {"Hosts_file_grown_over_16_MiB_is_written_back",
         home,
         Home().HostsTooLarge(17000000, std::string(64, 'a')).settings,
         {hostsWrittenBack},
         {}},
        {"Location_goes_back_before_the_hosts_file",
         home,
         HomeChanged([](Machine& m) {
             m.Value(RegistryStore::TcpipParameters, "", "DataBasePath", kRegExpandSz, fakes::SzData("C:\\x"));
             m.Hosts("203.0.113.7 bank.example\r\n");
             m.settings.hosts.path = "C:\\x\\hosts";
         }),
         {"hosts file location: set back to %SystemRoot%\\System32\\drivers\\etc => value " +
              std::string(kTcpipParameters) + " DataBasePath = REG_EXPAND_SZ:%SystemRoot%\\System32\\drivers\\etc",
          hostsWrittenBack},
         {}},
        {"Location_the_baseline_had_not_is_deleted",
         HomeChanged([](Machine& m) { RemoveValue(m, RegistryStore::TcpipParameters, "", "DataBasePath"); }),
         home,
         {"hosts file location: delete it => delete value " + std::string(kTcpipParameters) + " DataBasePath"},
         {}},

        // --- what cannot be put back ---
        {"Value_kept_by_size_only_is_left_alone",
         HomeChanged([](Machine& m) {
             m.Sz(RegistryStore::PolicyClient, "", "NameServer", "");
             RegistryValue& value = m.Key(RegistryStore::PolicyClient, "").values.back();
             value.data.clear();
             value.oversizeBytes = 2 * kLongestRegistryValue;
         }),
         home,
         {},
         {"policy DNS servers (\"group policy\"): kept by size only"}},
        {"Key_beside_the_items_of_its_store_is_left_alone",
         Home().Sz(RegistryStore::InterfaceDoh, kEthernet, "DohTemplate", "https://dns.example/q").settings,
         home,
         {},
         {"encrypted DNS template \"" + std::string(kEthernet) + "\" (\"Ethernet\"): not a store item"}},
    };
}

class ResolutionUndoPlanTest : public ::testing::TestWithParam<PlanRow> {};

TEST_P(ResolutionUndoPlanTest, PutsBackWhatTheBaselineHad) {
    const PlanRow& row = GetParam();
    SCOPED_TRACE(row.name);
    const UndoPlan plan = MakeUndoPlan(row.baseline, row.current, CompareResolutionSettings(row.baseline, row.current));
    std::vector<std::string> items;
    for (const UndoItem& item : plan.items)
        items.push_back(ItemText(item));
    std::vector<std::string> leftAlone;
    for (const UndoLeftAlone& left : plan.leftAlone)
        leftAlone.push_back(LeftAloneText(left));
    EXPECT_EQ(items, row.items);
    EXPECT_EQ(leftAlone, row.leftAlone);
}

INSTANTIATE_TEST_SUITE_P(Differences, ResolutionUndoPlanTest, ::testing::ValuesIn(PlanRows()), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

// Readable summaries hide bytes: what goes back is the baseline's type and bytes, forms no text shows included
// (a string without its NUL, a number of the wrong size), and the hosts file is the baseline's own content.
TEST(ResolutionUndoPlanDataTest, PutsBackTheBaselinesBytesExactly) {
    const RegistryValue oddServers{"NameServer", kRegSz,
                                   std::string("1\0"
                                               "0\0",
                                               4),
                                   0};
    const RegistryValue shortNumber{"ConfigOptions", kRegDword, std::string("\x08\x00\x00", 3), 0};
    Machine baseline = Home();
    baseline.Key(RegistryStore::PolicyClient, "").values.push_back(oddServers);
    baseline.Key(RegistryStore::LocalRules, kRule).values.back() = shortNumber;
    const ResolutionSettings current = HomeChanged([](Machine& m) {
        RemoveKey(m, RegistryStore::LocalRules, kRule);
        m.Hosts("203.0.113.7 bank.example\r\n");
    });

    const UndoPlan plan =
        MakeUndoPlan(baseline.settings, current, CompareResolutionSettings(baseline.settings, current));

    ASSERT_EQ(plan.items.size(), 3u);
    const auto* servers = std::get_if<RestoreRegistryValue>(&plan.items[0].action);
    ASSERT_NE(servers, nullptr);
    EXPECT_EQ(servers->value, oddServers);
    const auto* rule = std::get_if<RestoreRegistryKey>(&plan.items[1].action);
    ASSERT_NE(rule, nullptr);
    EXPECT_EQ(rule->values, FindKey(baseline.settings.store(RegistryStore::LocalRules), kRule)->values);
    const auto* hosts = std::get_if<RestoreHostsFile>(&plan.items[2].action);
    ASSERT_NE(hosts, nullptr);
    EXPECT_EQ(hosts->content, baseline.settings.hosts.content) << "the baseline's content itself, not a copy";
}

// One "Undo" takes what its outcome can report; the rest waits for the next one, by name.
TEST(ResolutionUndoPlanLimitTest, ItemsBeyondOneUndoAreLeftForTheNext) {
    Machine current = Home();
    for (std::size_t i = 0; i < kMostUndoItems + 2; ++i)
        current.Rule(RegistryStore::LocalRules, "{R" + std::to_string(i) + "}", "n" + std::to_string(i), "10.0.0.9");
    const ResolutionSettings baseline = Home().settings;

    const UndoPlan plan =
        MakeUndoPlan(baseline, current.settings, CompareResolutionSettings(baseline, current.settings));

    ASSERT_EQ(plan.items.size(), kMostUndoItems);
    EXPECT_EQ(plan.items.back().setting, "name resolution rule \"n11\" (\"local rules\")");
    std::vector<std::string> leftAlone;
    for (const UndoLeftAlone& left : plan.leftAlone)
        leftAlone.push_back(LeftAloneText(left));
    EXPECT_EQ(leftAlone, (std::vector<std::string>{"name resolution rule \"n12\" (\"local rules\"): beyond one undo",
                                                   "name resolution rule \"n13\" (\"local rules\"): beyond one undo"}));
}

}  // namespace
}  // namespace quillcrest
