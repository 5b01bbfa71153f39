#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "base/ascii_case.h"
#include "resolution/resolution_comparison.h"
#include "settings/registry_api.h"
#include "support/resolution_settings_builder.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using fakes::Machine;

constexpr char kEthernet[] = "{E1000000-0000-4000-8000-000000000001}";
constexpr char kWifi[] = "{E1000000-0000-4000-8000-000000000002}";
constexpr char kBluetooth[] = "{E1000000-0000-4000-8000-000000000003}";
constexpr char kUnplugged[] = "{E1000000-0000-4000-8000-000000000009}";
constexpr char kRule[] = "{A5000000-0000-4000-8000-000000000001}";
constexpr char kWellKnownServer[] = "192.0.2.53";
constexpr char kHosts[] = "# hosts of this PC\r\n127.0.0.1 localhost\r\n10.0.0.1 intranet\r\n";
constexpr char kNetwork[] = "; handed out by the network (DHCPv6 or a router advertisement)";
constexpr char kThisPc[] = "; set on this PC";

AdapterDns Ethernet(std::vector<std::string> ipv6, std::vector<std::string> ipv4 = {"192.168.1.1"}) {
    return AdapterDns{kEthernet, "Ethernet", std::move(ipv6), std::move(ipv4)};
}
AdapterDns Wifi(std::vector<std::string> ipv6) {
    return AdapterDns{kWifi, "Wi-Fi", std::move(ipv6), {"192.168.1.1"}};
}
AdapterDns Bluetooth(std::vector<std::string> ipv6) {
    return AdapterDns{kBluetooth, "Bluetooth", std::move(ipv6), {}};
}

// A PC at home: three adapters handed the same IPv6 server by the router, a local rule, an encrypted-DNS
// policy and template, and a hosts file. Each row changes one thing of it.
Machine Home(std::vector<AdapterDns> adapters = {Ethernet({"fd00::53"}), Wifi({"fd00::53"}), Bluetooth({"fd00::53"})}) {
    Machine machine;
    machine.settings.adapters.adapters = std::move(adapters);
    machine.Rule(RegistryStore::LocalRules, kRule, ".corp.example", "10.0.0.53")
        .Dword(RegistryStore::LocalRules, kRule, "ConfigOptions", 8)
        .Dword(RegistryStore::PolicyClient, "", "DoHPolicy", 2)
        .Sz(RegistryStore::DohWellKnownServers, kWellKnownServer, "Template", "https://dns.example/dns-query")
        .Hosts(kHosts);
    return machine;
}

ResolutionSettings HomeWithRuleValueNamesInCapitals() {
    Machine machine = Home();
    for (RegistryValue& value : machine.Key(RegistryStore::LocalRules, kRule).values)
        value.name = AsciiLowerCase(value.name) == "name" ? "NAME" : AsciiLowerCase(value.name);
    return machine.settings;
}

std::string InterfaceDohKey(const std::string& adapter, const std::string& address) {
    return adapter + "\\DohInterfaceSettings\\Doh\\" + address;
}

struct ComparisonRow {
    const char* name;
    ResolutionSettings baseline;
    ResolutionSettings current;
    // DescribeDifference of each difference, in order.
    std::vector<std::string> differences;
};

std::vector<ComparisonRow> ComparisonRows() {
    const ResolutionSettings home = Home().settings;
    const std::string hostsSize = std::to_string(sizeof kHosts - 1);
    const std::string digestA(64, 'a');
    const std::string digestB(64, 'b');
    return {
        {"Same_settings_give_nothing", home, Home().settings, {}},

        // --- adapters ---
        {"Ipv6_server_added_on_one_adapter",
         home,
         Home({Ethernet({"fd00::53", "fd00::66"}), Wifi({"fd00::53"}), Bluetooth({"fd00::53"})}).settings,
         {std::string("IPv6 DNS servers (\"Ethernet\"): was fd00::53, now fd00::53, fd00::66") + kNetwork}},
        {"Order_of_ipv6_servers_counts",
         Home({Ethernet({"fd00::53", "fd00::54"})}).settings,
         Home({Ethernet({"fd00::54", "fd00::53"})}).settings,
         {std::string("IPv6 DNS servers (\"Ethernet\"): was fd00::53, fd00::54, now fd00::54, fd00::53") + kNetwork}},
        {"Same_change_on_three_adapters_is_one_difference",
         home,
         Home({Ethernet({"fe80::bad"}), Wifi({"fe80::bad"}), Bluetooth({"fe80::bad"})}).settings,
         {std::string("IPv6 DNS servers (\"Ethernet\", \"Wi-Fi\", \"Bluetooth\"): was fd00::53, now fe80::bad") +
          kNetwork}},
        {"Different_changes_on_two_adapters_are_two_differences",
         home,
         Home({Ethernet({"fe80::bad"}), Wifi({}), Bluetooth({"fd00::53"})}).settings,
         {std::string("IPv6 DNS servers (\"Ethernet\"): was fd00::53, now fe80::bad") + kNetwork,
          std::string("IPv6 DNS servers (\"Wi-Fi\"): was fd00::53, now none") + kNetwork}},
        {"Letter_case_of_a_server_is_no_change",
         home,
         Home({Ethernet({"FD00::53"}), Wifi({"fd00::53"}), Bluetooth({"fd00::53"})}).settings,
         {}},
        {"Static_servers_show_once_and_say_they_were_set_on_this_pc",
         home,
         Home({Ethernet({"fd00::bad"}), Wifi({"fd00::53"}), Bluetooth({"fd00::53"})})
             .Sz(RegistryStore::StaticIpv6Servers, kEthernet, "NameServer", "fd00::bad")
             .settings,
         {std::string("IPv6 DNS servers (\"Ethernet\"): was fd00::53, now fd00::bad") + kThisPc}},
        {"Static_value_of_an_adapter_not_connected",
         home,
         Home().Sz(RegistryStore::StaticIpv6Servers, kUnplugged, "NameServer", "fd00::bad fd00::bae").settings,
         {std::string("IPv6 DNS servers (\"") + kUnplugged + "\"): was none, now fd00::bad, fd00::bae" + kThisPc}},
        {"Static_value_removed",
         Home().Sz(RegistryStore::StaticIpv6Servers, kUnplugged, "NameServer", "fd00::bad").settings,
         home,
         {std::string("IPv6 DNS servers (\"") + kUnplugged + "\"): was fd00::bad, now none" + kNetwork}},
        {"Ipv4_servers_of_a_known_adapter_are_left_to_the_other_check",
         home,
         Home({Ethernet({"fd00::53"}, {"203.0.113.66"}), Wifi({"fd00::53"}), Bluetooth({"fd00::53"})}).settings,
         {}},
        {"New_adapter_with_dns_servers",
         home,
         Home().Adapter("{VPN}", "VPN", {"fd00::99"}, {"10.8.0.1"}).settings,
         {std::string("network adapter with DNS servers (\"VPN\"): was none, now IPv4 10.8.0.1; IPv6 fd00::99") +
          kNetwork}},
        {"New_adapter_with_ipv4_servers_only_tells_no_origin",
         home,
         Home().Adapter("{VPN}", "VPN", {}, {"10.8.0.1"}).settings,
         {"network adapter with DNS servers (\"VPN\"): was none, now IPv4 10.8.0.1"}},
        {"New_adapter_without_servers_and_a_gone_adapter_give_nothing",
         home,
         Home({Ethernet({"fd00::53"}), Wifi({"fd00::53"}), AdapterDns{"{VPN}", "VPN", {}, {}}}).settings,
         {}},
        {"Adapters_that_could_not_be_listed_give_nothing", home, Home().AdaptersUnreadable().settings, {}},

        // --- policy ---
        {"Policy_dns_servers_added",
         home,
         Home().Sz(RegistryStore::PolicyClient, "", "NameServer", "10.0.0.66 10.0.0.67").settings,
         {"policy DNS servers (\"group policy\"): was none, now 10.0.0.66, 10.0.0.67"}},
        {"Encrypted_dns_policy_changed",
         home,
         Home().Dword(RegistryStore::PolicyClient, "", "DoHPolicy", 3).settings,
         {"encrypted DNS policy (\"group policy\"): was DoHPolicy 2, now DoHPolicy 3"}},

        // --- name resolution rules ---
        {"Rule_added_to_the_local_rules",
         home,
         Home().Rule(RegistryStore::LocalRules, "{EVIL}", ".", "203.0.113.53").settings,
         {"name resolution rule \".\" (\"local rules\"): was none, now servers 203.0.113.53"}},
        {"Rule_removed_from_the_policy_rules",
         Home().Rule(RegistryStore::PolicyRules, "{P}", ".corp.example", "10.0.0.53").settings,
         home,
         {"name resolution rule \".corp.example\" (\"policy rules\"): was servers 10.0.0.53, now none"}},
        {"Rule_servers_changed",
         home,
         Home().Sz(RegistryStore::LocalRules, kRule, "GenericDNSServers", "203.0.113.53").settings,
         {"name resolution rule \".corp.example\" (\"local rules\"): was servers 10.0.0.53, now servers "
          "203.0.113.53"}},
        {"Rule_other_value_changed",
         home,
         Home().Dword(RegistryStore::LocalRules, kRule, "ConfigOptions", 16).settings,
         {"name resolution rule \".corp.example\" (\"local rules\"): was servers 10.0.0.53; ConfigOptions 8, now "
          "servers 10.0.0.53; ConfigOptions 16"}},
        {"Rule_namespace_changed",
         home,
         Home().Value(RegistryStore::LocalRules, kRule, "Name", kRegMultiSz, fakes::MultiSzData({"."})).settings,
         {"name resolution rule \".\" (\"local rules\"): was servers 10.0.0.53; Name .corp.example, now servers "
          "10.0.0.53; Name ."}},
        {"Value_names_compare_without_letter_case", home, HomeWithRuleValueNamesInCapitals(), {}},
        {"Rule_key_that_could_not_be_read_is_no_removal",
         home,
         Home().UnreadableKey(RegistryStore::LocalRules, kRule).settings,
         {}},
        {"Store_that_could_not_be_read_is_no_removal",
         home,
         Home().UnreadableStore(RegistryStore::LocalRules).settings,
         {}},
        {"Key_unread_in_the_baseline_is_no_addition",
         Home().UnreadableKey(RegistryStore::LocalRules, kRule).settings,
         home,
         {}},

        // --- encrypted DNS ---
        {"Encrypted_dns_template_swapped",
         home,
         Home()
             .Sz(RegistryStore::DohWellKnownServers, kWellKnownServer, "Template", "https://doh.attacker.example/q")
             .settings,
         {"encrypted DNS template \"192.0.2.53\": was https://dns.example/dns-query, now "
          "https://doh.attacker.example/q"}},
        {"Adapter_encrypted_dns_setting_added_names_the_adapter",
         home,
         Home()
             .Dword(RegistryStore::InterfaceDoh, InterfaceDohKey(kEthernet, "192.0.2.99"), "DohFlags", 1)
             .Sz(RegistryStore::InterfaceDoh, InterfaceDohKey(kEthernet, "192.0.2.99"), "DohTemplate",
                 "https://doh.attacker.example/q")
             .settings,
         {"encrypted DNS template \"192.0.2.99\" (\"Ethernet\"): was none, now https://doh.attacker.example/q; "
          "DohFlags 1"}},
        {"Adapter_key_that_could_not_be_read_is_no_removal",
         Home().Sz(RegistryStore::InterfaceDoh, InterfaceDohKey(kEthernet, "192.0.2.99"), "DohTemplate", "x").settings,
         Home().UnreadableKey(RegistryStore::InterfaceDoh, std::string(kEthernet) + "\\DohInterfaceSettings").settings,
         {}},

        // --- hosts file ---
        {"Hosts_comments_blank_lines_and_letter_case_changed_only",
         home,
         Home().Hosts("# edited by hand\n\n127.0.0.1\tLOCALHOST # loopback\n10.0.0.1 intranet\n\n").settings,
         {}},
        {"Hosts_file_made_with_comments_only", Home().NoHosts().settings, Home().Hosts("# empty\r\n").settings, {}},
        {"Hosts_name_added",
         home,
         Home().Hosts(std::string(kHosts) + "203.0.113.7 bank.example\r\n").settings,
         {"hosts file \"bank.example\": was none, now 203.0.113.7"}},
        {"Hosts_name_removed",
         home,
         Home().Hosts("127.0.0.1 localhost\r\n").settings,
         {"hosts file \"intranet\": was 10.0.0.1, now none"}},
        {"Hosts_address_changed",
         home,
         Home().Hosts("127.0.0.1 localhost\r\n10.0.0.9 intranet\r\n").settings,
         {"hosts file \"intranet\": was 10.0.0.1, now 10.0.0.9"}},
        {"Hosts_name_on_a_second_line_adds_an_address",
         home,
         Home().Hosts(std::string(kHosts) + "10.0.0.2 INTRANET\r\n").settings,
         {"hosts file \"intranet\": was 10.0.0.1, now 10.0.0.1, 10.0.0.2"}},
        {"Hosts_file_removed",
         home,
         Home().NoHosts().settings,
         {"hosts file \"intranet\": was 10.0.0.1, now none", "hosts file \"localhost\": was 127.0.0.1, now none"}},
        {"Hosts_file_over_the_limit_changed",
         Home().HostsTooLarge(17000000, digestA).settings,
         Home().HostsTooLarge(17000001, digestB).settings,
         {"hosts file: was a file of 17000000 bytes, over 16 MiB: compared by its digest only, now a file of "
          "17000001 bytes, over 16 MiB: compared by its digest only; it cannot be undone"}},
        {"Hosts_file_grown_over_the_limit_can_be_undone",
         home,
         Home().HostsTooLarge(17000000, digestA).settings,
         {"hosts file: was a file of " + hostsSize +
          " bytes, now a file of 17000000 bytes, over 16 MiB: compared by its digest only"}},
        {"Hosts_file_over_the_limit_unchanged",
         Home().HostsTooLarge(17000000, digestA).settings,
         Home().HostsTooLarge(17000000, digestA).settings,
         {}},
        {"Hosts_file_that_could_not_be_read_gives_nothing", home, Home().HostsUnreadable().settings, {}},
        {"Hosts_file_location_changed",
         home,
         Home()
             .Value(RegistryStore::TcpipParameters, "", "DataBasePath", kRegExpandSz,
                    fakes::SzData("C:\\ProgramData\\x"))
             .settings,
         {"hosts file location: was none (the default folder), now C:\\ProgramData\\x"}},
    };
}

// Failures name the row rather than dump its bytes.
void PrintTo(const ComparisonRow& row, std::ostream* out) {
    *out << row.name;
}

class ResolutionComparisonTest : public ::testing::TestWithParam<ComparisonRow> {};

TEST_P(ResolutionComparisonTest, NamesEachChangeOnce) {
    const ComparisonRow& row = GetParam();
    SCOPED_TRACE(row.name);
    std::vector<std::string> described;
    for (const ResolutionDifference& difference : CompareResolutionSettings(row.baseline, row.current))
        described.push_back(DescribeDifference(difference));
    EXPECT_EQ(described, row.differences);
}

INSTANTIATE_TEST_SUITE_P(Changes,
                         ResolutionComparisonTest,
                         ::testing::ValuesIn(ComparisonRows()),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

// ---- What a later "Undo" finds in a difference ----

TEST(ResolutionComparisonUndoTest, EachPlaceOfADifferenceHasItsTarget) {
    const std::string tcpip6 = "SYSTEM\\CurrentControlSet\\Services\\Tcpip6\\Parameters\\Interfaces\\";
    const std::vector<ResolutionDifference> differences = CompareResolutionSettings(
        Home().settings, Home({Ethernet({"fe80::bad"}), Wifi({"fe80::bad"}), Bluetooth({"fd00::53"})})
                             .Rule(RegistryStore::PolicyRules, "{P}", ".", "203.0.113.53")
                             .Sz(RegistryStore::PolicyClient, "", "NameServer", "203.0.113.53")
                             .Hosts(std::string(kHosts) + "203.0.113.7 bank.example\r\n")
                             .settings);
    ASSERT_EQ(differences.size(), 4u);

    const ResolutionDifference& servers = differences[0];
    ASSERT_EQ(servers.undoTargets.size(), 2u);
    EXPECT_EQ(servers.undoTargets[0].kind, UndoTarget::Kind::AdapterServers);
    EXPECT_EQ(servers.undoTargets[0].adapterId, kEthernet);
    EXPECT_EQ(servers.undoTargets[0].keyPath, tcpip6 + kEthernet);
    EXPECT_EQ(servers.undoTargets[0].store, RegistryStore::StaticIpv6Servers);
    EXPECT_EQ(servers.undoTargets[0].itemPath, kEthernet);
    EXPECT_EQ(servers.undoTargets[0].valueName, "NameServer");
    EXPECT_EQ(servers.undoTargets[1].adapterId, kWifi);
    EXPECT_EQ(servers.places, (std::vector<std::string>{"Ethernet", "Wi-Fi"}));
    EXPECT_EQ(servers.origin, ServerOrigin::FromNetwork);

    const ResolutionDifference& policy = differences[1];
    EXPECT_EQ(policy.kind, DifferenceKind::PolicyDnsServers);
    ASSERT_EQ(policy.undoTargets.size(), 1u);
    EXPECT_EQ(policy.undoTargets[0].kind, UndoTarget::Kind::RegistryValue);
    EXPECT_EQ(policy.undoTargets[0].keyPath, "SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient");
    EXPECT_EQ(policy.undoTargets[0].valueName, "NameServer");

    const ResolutionDifference& rule = differences[2];
    EXPECT_EQ(rule.change, DifferenceChange::Added);
    ASSERT_EQ(rule.undoTargets.size(), 1u);
    EXPECT_EQ(rule.undoTargets[0].kind, UndoTarget::Kind::RegistryKey);
    EXPECT_EQ(rule.undoTargets[0].keyPath,
              "SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient\\DnsPolicyConfig\\{P}");
    // The baseline holds nothing there: the rule was added, and goes again.
    EXPECT_EQ(rule.undoTargets[0].itemPath, "{P}");
    EXPECT_EQ(FindKey(Home().settings.store(rule.undoTargets[0].store), rule.undoTargets[0].itemPath), nullptr);

    const ResolutionDifference& hosts = differences[3];
    ASSERT_EQ(hosts.undoTargets.size(), 1u);
    EXPECT_EQ(hosts.undoTargets[0].kind, UndoTarget::Kind::HostName);
    EXPECT_EQ(hosts.undoTargets[0].hostName, "bank.example");
    EXPECT_EQ(hosts.undoTargets[0].filePath, Home().settings.hosts.path);
    EXPECT_TRUE(hosts.undoable);
}

TEST(ResolutionComparisonUndoTest, ManyChangedHostNamesEndInOneDifferenceForTheWholeFile) {
    std::string grown = kHosts;
    for (int i = 0; i < 25; ++i)
        grown += "0.0.0.0 ads" + std::to_string(100 + i) + ".example\r\n";
    const std::vector<ResolutionDifference> differences =
        CompareResolutionSettings(Home().settings, Home().Hosts(grown).settings);
    ASSERT_EQ(differences.size(), 21u);
    EXPECT_EQ(differences[0].subject, "ads100.example");
    EXPECT_EQ(differences[19].subject, "ads119.example");
    const ResolutionDifference& rest = differences[20];
    EXPECT_EQ(rest.subject, "5 more host names");
    ASSERT_EQ(rest.undoTargets.size(), 1u);
    EXPECT_EQ(rest.undoTargets[0].kind, UndoTarget::Kind::HostsFileWhole);
}

TEST(ResolutionComparisonOriginTest, OnlyAStaticValueNamingServersMeansSetOnThisPc) {
    const ResolutionSettings settings = Home()
                                            .Sz(RegistryStore::StaticIpv6Servers, kEthernet, "NameServer", "fd00::53")
                                            .Sz(RegistryStore::StaticIpv6Servers, kWifi, "NameServer", " ")
                                            .settings;
    EXPECT_EQ(Ipv6ServerOrigin(settings, kEthernet), ServerOrigin::SetOnThisPc);
    EXPECT_EQ(Ipv6ServerOrigin(settings, AsciiLowerCase(kEthernet)), ServerOrigin::SetOnThisPc);
    EXPECT_EQ(Ipv6ServerOrigin(settings, kWifi), ServerOrigin::FromNetwork);
    EXPECT_EQ(Ipv6ServerOrigin(settings, kBluetooth), ServerOrigin::FromNetwork);
}

TEST(ResolutionComparisonUnreadableTest, PlacesThatCouldNotBeReadAreNamed) {
    const ResolutionSettings settings = Machine()
                                            .AdaptersUnreadable()
                                            .UnreadableStore(RegistryStore::PolicyRules)
                                            .UnreadableKey(RegistryStore::LocalRules, kRule)
                                            .HostsUnreadable()
                                            .settings;
    const std::vector<std::string> expected = {
        "network adapters",
        "SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient\\DnsPolicyConfig",
        std::string("SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters\\DnsPolicyConfig\\") + kRule,
        "hosts file C:\\Windows\\System32\\drivers\\etc\\hosts",
    };
    EXPECT_EQ(UnreadablePlaces(settings), expected);
    EXPECT_TRUE(UnreadablePlaces(Home().settings).empty());
}

}  // namespace
}  // namespace quillcrest
