#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/netconfig_fake_wmi_query.h"
#include "support/row_name.h"
#include "support/settings_fake_registry.h"
#include "support/watch_registry_records.h"
#include "watch/interface_records.h"
#include "watch/original_dns_capture.h"

namespace quillcrest {
namespace {

using fakes::FakeRegistryApi;
using fakes::FakeWmiQuery;
using fakes::PlantText;
using fakes::StoredDword;
using fakes::StoredText;
using fakes::SystemKey;
using fakes::UserKey;

// nullopt: the search order is null.
FakeWmiQuery::Row AdapterRow(const std::string& id, bool dhcp, std::optional<std::vector<std::string>> servers) {
    WmiValue order = WmiValue::Null();
    if (servers) {
        std::vector<WmiValue> items;
        for (const std::string& server : *servers)
            items.push_back(WmiValue::Text(server));
        order = WmiValue::Array(items);
    }
    return {{"DHCPEnabled", WmiValue::Boolean(dhcp)},
            {"SettingID", WmiValue::Text(id)},
            {"DNSServerSearchOrder", order},
            {"IPEnabled", WmiValue::Boolean(true)}};
}

// What one interface's records hold after a capture; nullopt: the value is absent.
struct Records {
    std::optional<std::uint32_t> dhcpEnabled;
    std::optional<std::string> origNameServers;
    std::optional<std::string> origDns;
};

Records RecordsOf(const FakeRegistryApi& registry, const std::string& id) {
    return {StoredDword(registry, UserKey(id), "DHCPEnabled"), StoredText(registry, UserKey(id), "Orig NameServers"),
            StoredText(registry, SystemKey(id), "OrigDNS")};
}

struct CaptureCase {
    const char* name;
    // Records standing before the capture.
    std::optional<std::string> plantedOrigNameServers;
    std::optional<std::string> plantedOrigDns;
    bool dhcp;
    std::optional<std::vector<std::string>> searchOrder;
    Records expected;
};

// Failures name the row rather than dump its bytes.
void PrintTo(const CaptureCase& row, std::ostream* out) {
    *out << row.name;
}

class WatchSaveOrigDnsInfoTest : public ::testing::TestWithParam<CaptureCase> {};

TEST_P(WatchSaveOrigDnsInfoTest, WritesTheRecordsOfEachRow) {
    const CaptureCase& row = GetParam();
    SCOPED_TRACE(row.name);
    const std::string id = "{11111111-2222-3333-4444-555555555555}";
    FakeRegistryApi registry;
    if (row.plantedOrigNameServers)
        PlantText(registry, UserKey(id), "Orig NameServers", *row.plantedOrigNameServers);
    if (row.plantedOrigDns)
        PlantText(registry, SystemKey(id), "OrigDNS", *row.plantedOrigDns);
    FakeWmiQuery query({AdapterRow(id, row.dhcp, row.searchOrder)});
    InterfaceRecords records(registry);

    SaveOrigDNSInfo(query, records);

    const Records got = RecordsOf(registry, id);
    EXPECT_EQ(got.dhcpEnabled, row.expected.dhcpEnabled);
    EXPECT_EQ(got.origNameServers, row.expected.origNameServers);
    EXPECT_EQ(got.origDns, row.expected.origDns);
    EXPECT_EQ(query.wql(), "Select * from Win32_NetworkAdapterConfiguration");
    EXPECT_FALSE(query.isOpen());
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

const CaptureCase kCaptureCases[] = {
    {"fixed servers", {}, {}, false, {{"10.0.0.1", "10.0.0.2"}}, {0, "10.0.0.1,10.0.0.2", "10.0.0.1,10.0.0.2"}},
    {"dhcp servers", {}, {}, true, {{"192.168.1.1"}}, {1, "192.168.1.1", std::nullopt}},
    {"null search order writes nothing", {}, {}, false, std::nullopt, {}},
    {"empty array", {}, {}, false, {{}}, {0, "", ""}},
    {"empty array on dhcp", {}, {}, true, {{}}, {1, "", std::nullopt}},
    {"second capture after dhcp to fixed", "192.168.1.1", {}, false, {{"10.0.0.1"}}, {0, "192.168.1.1", "10.0.0.1"}},
    {"recorded values kept", "1.1.1.1", "2.2.2.2", false, {{"10.0.0.1"}}, {0, "1.1.1.1", "2.2.2.2"}},
    {"present but empty counts as absent", "", "", false, {{"10.0.0.1"}}, {0, "10.0.0.1", "10.0.0.1"}},
    {"three servers",
     {},
     {},
     false,
     {{"1.1.1.1", "2.2.2.2", "3.3.3.3"}},
     {0, "1.1.1.1,2.2.2.2,3.3.3.3", "1.1.1.1,2.2.2.2,3.3.3.3"}},
    {"entry with blank is quoted", {}, {}, false, {{"10.0.0.1", "a b"}}, {0, "10.0.0.1,\"a b\"", "10.0.0.1,\"a b\""}},
};

INSTANTIATE_TEST_SUITE_P(WatchRows, WatchSaveOrigDnsInfoTest, ::testing::ValuesIn(kCaptureCases), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

TEST(WatchSaveOrigDnsInfoTest, DhcpEnabledFollowsEveryCaptureWhileTheListsKeepTheFirst) {
    FakeRegistryApi registry;
    InterfaceRecords records(registry);
    FakeWmiQuery first({AdapterRow("{A}", false, {{"10.0.0.1"}})});
    SaveOrigDNSInfo(first, records);
    FakeWmiQuery second({AdapterRow("{A}", true, {{"192.168.1.1"}})});
    SaveOrigDNSInfo(second, records);

    EXPECT_EQ(StoredDword(registry, UserKey("{A}"), "DHCPEnabled"), 1u);
    EXPECT_EQ(StoredText(registry, UserKey("{A}"), "Orig NameServers"), "10.0.0.1");
    EXPECT_EQ(StoredText(registry, SystemKey("{A}"), "OrigDNS"), "10.0.0.1");
}

TEST(WatchSaveOrigDnsInfoTest, EveryRowInOrderAndAFailingRowEndsTheCaptureQuietly) {
    FakeRegistryApi registry;
    InterfaceRecords records(registry);
    FakeWmiQuery::Row broken = AdapterRow("{C}", false, {{"10.0.0.3"}});
    broken.erase("DNSServerSearchOrder");
    FakeWmiQuery query({AdapterRow("{A}", false, {{"10.0.0.1"}}), AdapterRow("{B}", true, std::nullopt),
                        AdapterRow("", false, {{"10.0.0.9"}}), broken, AdapterRow("{D}", false, {{"10.0.0.4"}})});

    SaveOrigDNSInfo(query, records);

    EXPECT_EQ(StoredText(registry, SystemKey("{A}"), "OrigDNS"), "10.0.0.1");
    EXPECT_FALSE(registry.HasKey(UserKey("{B}")));
    // A row without an identifier must not write into the key of "no preferred adapter".
    EXPECT_FALSE(registry.GetValue("HKCU\\SOFTWARE\\Brenholt\\Quillcrest\\Interfaces", "DHCPEnabled"));
    EXPECT_FALSE(registry.HasKey(UserKey("{C}")));
    EXPECT_FALSE(registry.HasKey(UserKey("{D}"))) << "the capture ends at the failing row";
    EXPECT_FALSE(query.isOpen());
}

TEST(WatchSaveOrigDnsInfoTest, WmiFailureWritesNothingAndRaisesNothing) {
    FakeRegistryApi registry;
    InterfaceRecords records(registry);
    FakeWmiQuery query({AdapterRow("{A}", false, {{"10.0.0.1"}})});
    query.failOpenWith("Access denied");
    EXPECT_NO_THROW(SaveOrigDNSInfo(query, records));
    EXPECT_TRUE(registry.KeyPaths().empty());
}

TEST(WatchInterfaceRecordsTest, EmptyIdentifierAddressesTheBarePrefixKeyForReadsAndWrites) {
    EXPECT_EQ(InterfaceRecords::UserKeyPath(""), "SOFTWARE\\Brenholt\\Quillcrest\\Interfaces");
    EXPECT_EQ(InterfaceRecords::SystemKeyPath(""),
              "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces");
    EXPECT_EQ(InterfaceRecords::UserKeyPath("{A}"), "SOFTWARE\\Brenholt\\Quillcrest\\Interfaces\\{A}");

    FakeRegistryApi registry;
    InterfaceRecords records(registry);
    records.WriteUserText("", "Default NameServers", "1.1.1.1");
    records.WriteDhcpEnabled("", false);
    EXPECT_EQ(StoredText(registry, "HKCU\\SOFTWARE\\Brenholt\\Quillcrest\\Interfaces", "Default NameServers"),
              "1.1.1.1");
    EXPECT_EQ(records.ReadUserText("", "Default NameServers"), "1.1.1.1");
    EXPECT_FALSE(records.ReadDhcpEnabled(""));
}

TEST(WatchInterfaceRecordsTest, MissingOrMistypedRecordsReadAsTheirDefaults) {
    FakeRegistryApi registry;
    InterfaceRecords records(registry);
    EXPECT_TRUE(records.ReadDhcpEnabled("{A}"));
    EXPECT_EQ(records.ReadOrigDns("{A}"), "");
    PlantText(registry, UserKey("{A}"), "DHCPEnabled", "0");
    EXPECT_TRUE(records.ReadDhcpEnabled("{A}"));
    fakes::PlantDword(registry, UserKey("{A}"), "DHCPEnabled", 0);
    EXPECT_FALSE(records.ReadDhcpEnabled("{A}"));
}

}  // namespace
}  // namespace quillcrest
