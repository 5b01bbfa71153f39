#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "elevation/dns_baseline_confirmation.h"
#include "elevation/dns_change_confirmation.h"
#include "support/resolution_settings_builder.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

constexpr char kWired[] = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr char kWireless[] = "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}";

ConnectionNames WiredAndWireless() {
    ConnectionNames names;
    names.Add(kWired, "Ethernet");
    // The identifier as another source spells it: letter case does not matter.
    names.Add("{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}", "Wi-Fi");
    return names;
}

TEST(DnsChangeConfirmationTest, NamesEachAdapterWithItsServersAndAsksWhetherToMakeTheChange) {
    const std::string text = DnsChangeConfirmationText(
        {{kWired, {"208.67.222.222", "208.67.220.220"}}, {kWireless, {}}}, WiredAndWireless());
    EXPECT_EQ(text,
              "Quillcrest is about to change the DNS servers of this computer:\n"
              "\n"
              "Ethernet: 208.67.222.222, 208.67.220.220\n"
              "Wi-Fi: automatic (DHCP)\n"
              "\n"
              "Make this change? If you did not ask for it just now, choose No.");
}

// How one adapter's line reads, by what is known of its name.
struct LineCase {
    const char* name;
    DnsAssignment assignment;
    ConnectionNames names;
    std::string line;
};

ConnectionNames Named(const std::string& settingId, const std::string& name) {
    ConnectionNames names;
    names.Add(settingId, name);
    return names;
}

const std::vector<LineCase>& LineCases() {
    static const std::vector<LineCase> cases = {
        {"three servers in order",
         {kWired, {"10.0.0.3", "10.0.0.1", "10.0.0.2"}},
         WiredAndWireless(),
         "Ethernet: 10.0.0.3, 10.0.0.1, 10.0.0.2"},
        {"no names could be read", {kWired, {"10.0.0.1"}}, ConnectionNames(), std::string(kWired) + ": 10.0.0.1"},
        {"adapter not among the named ones",
         {"{FFFFFFFF-0000-0000-0000-000000000000}", {}},
         WiredAndWireless(),
         "{FFFFFFFF-0000-0000-0000-000000000000}: automatic (DHCP)"},
        {"adapter with an empty name", {kWired, {"10.0.0.1"}}, Named(kWired, ""), std::string(kWired) + ": 10.0.0.1"},
        {"adapter with a name of blanks",
         {kWired, {}},
         Named(kWired, "  "),
         std::string(kWired) + ": automatic (DHCP)"},
        {"line break in a name stays on its line",
         {kWired, {"10.0.0.1"}},
         Named(kWired, "Evil\nWi-Fi: 8.8.8.8"),
         "Evil Wi-Fi: 8.8.8.8: 10.0.0.1"},
    };
    return cases;
}

class DnsChangeConfirmationLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(DnsChangeConfirmationLineTest, AdapterLineShowsItsNameOrIdentifierAndItsServers) {
    const LineCase& row = GetParam();
    SCOPED_TRACE(row.name);
    const std::string text = DnsChangeConfirmationText({row.assignment}, row.names);
    EXPECT_NE(text.find("\n\n" + row.line + "\n\n"), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Table,
                         DnsChangeConfirmationLineTest,
                         ::testing::ValuesIn(LineCases()),
                         [](const ::testing::TestParamInfo<LineCase>& info) {
                             return fakes::RowName(info.param.name);
                         });

// The elevated run's question before it replaces a stored DNS baseline: each difference on its line, then the
// question with No as the safe answer; beyond the most a message box can show, the rest are counted.
TEST(DnsBaselineConfirmationTest, ListsEachDifferenceAndAsksWhetherToKeepTheSettings) {
    const ResolutionSettings stored = fakes::Machine().Hosts("127.0.0.1 localhost\r\n").settings;
    const ResolutionSettings now = fakes::Machine().Hosts("127.0.0.1 localhost\r\n127.0.0.9 bank.example\r\n").settings;
    EXPECT_EQ(DnsBaselineConfirmationText(CompareResolutionSettings(stored, now)),
              "Quillcrest is about to keep the current DNS settings of this computer as the ones it compares with. "
              "They differ from the settings it kept before:\n"
              "\n"
              "Hosts file \"bank.example\": was none, now 127.0.0.9\n"
              "\n"
              "Keep these settings? If you did not ask for it just now, choose No.");

    fakes::Machine many;
    for (std::size_t i = 0; i < kMostDifferencesInConfirmation + 3; ++i)
        many.Rule(RegistryStore::LocalRules, "{R" + std::to_string(100 + i) + "}", "corp" + std::to_string(i),
                  "10.0.0.53");
    const std::string text =
        DnsBaselineConfirmationText(CompareResolutionSettings(fakes::Machine().settings, many.settings));
    EXPECT_NE(text.find("\n... and 3 more changes\n\nKeep these settings?"), std::string::npos) << text;
}

}  // namespace
}  // namespace quillcrest
