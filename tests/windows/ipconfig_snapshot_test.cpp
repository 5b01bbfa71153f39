#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/exception.h"
#include "netconfig/ip_config_snapshot_win.h"
#include "netconfig/ip_helper_answer.h"
#include "support/fake_ip_helper_win.h"
#include "support/row_name.h"

namespace quillcrest {

// Internal linkage: each test file prints dates for itself without clashing at link time.
static void PrintTo(const LocalDateTime& t, std::ostream* os) {
    *os << t.year << '-' << t.month << '-' << t.day << ' ' << t.hour << ':' << t.minute << ':' << t.second;
}

namespace {

using namespace fakes;

FakeNetwork FirstNetwork() {
    return {"first-host", "first.example", "first-scope", 1, 0, 0, 0, {"10.0.0.1"}};
}

// Differs from FirstNetwork in every field, with blanks and controls around the names.
FakeNetwork SecondNetwork() {
    return {" second-host\t", "second.example\r\n", "\x01scope-two ", 8, 1, 0, 1, {"192.168.1.1", "8.8.8.8"}};
}

FakeAdapter FirstAdapter() {
    FakeAdapter a;
    a.index = 3;
    a.name = "{11111111-2222-3333-4444-555555555555}";
    a.description = "First adapter";
    a.mac = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
    a.type = 6;
    a.current = 0;
    a.addresses = {{"10.0.0.5", "255.0.0.0"}};
    return a;
}

// What the snapshot shows, with adapters by identity, so "unchanged" means the very same records.
struct SnapshotView {
    std::string hostName, domainName, nodeType, scopeId;
    std::vector<std::string> dnsServers;
    bool routing, proxy, dns;
    std::vector<const TconAdapterInfo*> adapters;

    bool operator==(const SnapshotView& o) const {
        return hostName == o.hostName && domainName == o.domainName && nodeType == o.nodeType && scopeId == o.scopeId &&
               dnsServers == o.dnsServers && routing == o.routing && proxy == o.proxy && dns == o.dns &&
               adapters == o.adapters;
    }
    friend void PrintTo(const SnapshotView& v, std::ostream* os) {
        *os << v.hostName << '|' << v.domainName << '|' << v.nodeType << '|' << v.scopeId << '|'
            << testing::PrintToString(v.dnsServers) << '|' << v.routing << v.proxy << v.dns << '|' << v.adapters.size()
            << " adapters";
    }
};

SnapshotView View(const IpConfigSnapshot& config) {
    SnapshotView view{config.HostName,    config.DomainName, config.NodeType,
                      config.ScopeID,     config.DNSServers, config.EnableRouting,
                      config.EnableProxy, config.EnableDNS,  {}};
    for (const auto& adapter : config.Adapters)
        view.adapters.push_back(adapter.get());
    return view;
}

class IpConfigSnapshotTest : public testing::Test {
  protected:
    // Fills the snapshot from FirstNetwork and FirstAdapter, then switches the fake to SecondNetwork with no
    // scripted failures, so every test starts from a known, non-empty snapshot.
    SnapshotView Prime() {
        fake.network = FirstNetwork();
        fake.adapters = {FirstAdapter()};
        config.Refresh();
        fake.network = SecondNetwork();
        fake.calls.clear();
        return View(config);
    }

    // Runs Refresh and returns the message of the EconIPConfigError it must raise.
    std::string RefreshError() {
        try {
            config.Refresh();
        } catch (const EconIPConfigError& e) {
            return e.what();
        }
        ADD_FAILURE() << "Refresh raised no EconIPConfigError";
        return std::string();
    }

    FakeIpHelper fake;
    IpConfigSnapshot config{fake};
};

TEST_F(IpConfigSnapshotTest, CreationQueriesNothingAndStartsEmpty) {
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_EQ(View(config), (SnapshotView{"", "", "", "", {}, false, false, false, {}}));
}

TEST_F(IpConfigSnapshotTest, ReadsTrimmedNetworkParametersBeforeAdapters) {
    fake.network = SecondNetwork();
    fake.adapters = {FirstAdapter()};
    config.Refresh();

    EXPECT_EQ(config.HostName, "second-host");
    EXPECT_EQ(config.DomainName, "second.example");
    EXPECT_EQ(config.ScopeID, "scope-two");
    EXPECT_EQ(config.NodeType, "Hybrid");
    EXPECT_TRUE(config.EnableRouting);
    EXPECT_FALSE(config.EnableProxy);
    EXPECT_TRUE(config.EnableDNS);
    EXPECT_EQ(config.DNSServers, (std::vector<std::string>{"192.168.1.1", "8.8.8.8"}));
    ASSERT_EQ(config.Adapters.size(), 1u);

    const std::string networkSize = std::to_string(fake.NetworkSize());
    const std::string adaptersSize = std::to_string(fake.AdaptersSize());
    EXPECT_EQ(fake.calls, (std::vector<std::string>{
                              "GetNetworkParams(null, 0)",
                              "GetNetworkParams(buffer, " + networkSize + ")",
                              "GetAdaptersInfo(null, 0)",
                              "GetAdaptersInfo(buffer, " + adaptersSize + ")",
                          }));
}

struct DnsCase {
    const char* name;
    std::vector<std::string> servers;
    std::vector<std::string> expected;
};

void PrintTo(const DnsCase& row, std::ostream* out) {
    *out << row.name;
}

class IpConfigDnsServersTest : public IpConfigSnapshotTest, public testing::WithParamInterface<DnsCase> {};

TEST_P(IpConfigDnsServersTest, ListsEveryServerInResolverOrder) {
    const DnsCase& row = GetParam();
    SCOPED_TRACE(row.name);
    Prime();
    fake.network.dnsServers = row.servers;
    config.Refresh();
    EXPECT_EQ(config.DNSServers, row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    IpConfigDnsServersTest,
    testing::ValuesIn(std::vector<DnsCase>{
        {"one server", {"10.1.1.1"}, {"10.1.1.1"}},
        {"three servers", {"208.67.222.222", "1.1.1.1", "4.2.2.2"}, {"208.67.222.222", "1.1.1.1", "4.2.2.2"}},
        // The embedded first entry is always taken, even with nothing in it.
        {"no server", {}, {""}},
        {"address filling the whole field", {"1234567890123456", "9.9.9.9"}, {"1234567890123456", "9.9.9.9"}},
    }),
    fakes::RowName<DnsCase>);

struct NetworkFailureCase {
    const char* name;
    std::optional<DWORD> probeResult;
    std::optional<DWORD> readResult;
    DWORD code;
};

void PrintTo(const NetworkFailureCase& row, std::ostream* out) {
    *out << row.name;
}

class IpConfigNetworkFailureTest : public IpConfigSnapshotTest,
                                   public testing::WithParamInterface<NetworkFailureCase> {};

TEST_P(IpConfigNetworkFailureTest, KeepsEverythingAndSkipsAdapters) {
    const NetworkFailureCase& row = GetParam();
    SCOPED_TRACE(row.name);
    const SnapshotView before = Prime();
    fake.adapters.push_back(FirstAdapter());
    fake.networkProbeResult = row.probeResult;
    fake.networkReadResult = row.readResult;

    EXPECT_EQ(RefreshError(), "Problem getting Host info:\rtext for " + std::to_string(row.code));
    EXPECT_EQ(View(config), before);
    EXPECT_EQ(fake.CallsTo("GetAdaptersInfo"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         IpConfigNetworkFailureTest,
                         testing::ValuesIn(std::vector<NetworkFailureCase>{
                             {"size probe fails", ERROR_NOT_SUPPORTED, std::nullopt, ERROR_NOT_SUPPORTED},
                             {"read after the probe fails", std::nullopt, ERROR_INVALID_PARAMETER,
                              ERROR_INVALID_PARAMETER},
                         }),
                         fakes::RowName<NetworkFailureCase>);

TEST_F(IpConfigSnapshotTest, NetworkProbeAnsweringSuccessKeepsNetworkFieldsAndStillReadsAdapters) {
    const SnapshotView before = Prime();
    fake.networkProbeResult = ERROR_SUCCESS;
    fake.adapters = {FirstAdapter(), FirstAdapter()};

    config.Refresh();

    EXPECT_EQ(fake.CallsTo("GetNetworkParams"), 1u);
    EXPECT_EQ(config.HostName, before.hostName);
    EXPECT_EQ(config.DNSServers, before.dnsServers);
    EXPECT_EQ(config.Adapters.size(), 2u);
}

TEST_F(IpConfigSnapshotTest, NodeTypeAboveHybridFailsAfterTheNamesWereUpdated) {
    const SnapshotView before = Prime();
    fake.network.nodeType = 9;

    try {
        config.Refresh();
        ADD_FAILURE() << "no exception";
    } catch (const EconIPConfigError& e) {
        ADD_FAILURE() << "a range error is not a query failure: " << e.what();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Range check error");
    }

    EXPECT_EQ(config.HostName, "second-host");
    EXPECT_EQ(config.DomainName, "second.example");
    EXPECT_EQ(config.ScopeID, "scope-two");
    SnapshotView expected = before;
    expected.hostName = "second-host";
    expected.domainName = "second.example";
    expected.scopeId = "scope-two";
    EXPECT_EQ(View(config), expected);
    EXPECT_EQ(fake.CallsTo("GetAdaptersInfo"), 0u);
}

TEST_F(IpConfigSnapshotTest, AdapterProbeAnsweringSuccessKeepsTheAdapters) {
    const SnapshotView before = Prime();
    fake.adaptersProbeResult = ERROR_SUCCESS;

    config.Refresh();

    EXPECT_EQ(fake.CallsTo("GetAdaptersInfo"), 1u);
    EXPECT_EQ(View(config).adapters, before.adapters);
    EXPECT_EQ(config.HostName, "second-host");
}

struct AdapterFailureCase {
    const char* name;
    bool noAdapters;
    std::optional<DWORD> readResult;
    DWORD code;
};

void PrintTo(const AdapterFailureCase& row, std::ostream* out) {
    *out << row.name;
}

class IpConfigAdapterFailureTest : public IpConfigSnapshotTest,
                                   public testing::WithParamInterface<AdapterFailureCase> {};

TEST_P(IpConfigAdapterFailureTest, KeepsOldAdaptersBehindNewNetworkFields) {
    const AdapterFailureCase& row = GetParam();
    SCOPED_TRACE(row.name);
    const SnapshotView before = Prime();
    if (row.noAdapters)
        fake.adapters.clear();
    fake.adaptersReadResult = row.readResult;

    EXPECT_EQ(RefreshError(), "Problem getting Adapters info:\rtext for " + std::to_string(row.code));
    EXPECT_EQ(fake.CallsTo("GetAdaptersInfo"), 2u);
    EXPECT_EQ(config.HostName, "second-host");
    EXPECT_EQ(config.NodeType, "Hybrid");
    EXPECT_EQ(config.DNSServers, (std::vector<std::string>{"192.168.1.1", "8.8.8.8"}));
    EXPECT_EQ(View(config).adapters, before.adapters);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         IpConfigAdapterFailureTest,
                         testing::ValuesIn(std::vector<AdapterFailureCase>{
                             {"no adapters at all", true, std::nullopt, ERROR_NO_DATA},
                             {"adapters grew between the calls", false, ERROR_BUFFER_OVERFLOW, ERROR_BUFFER_OVERFLOW},
                         }),
                         fakes::RowName<AdapterFailureCase>);

TEST_F(IpConfigSnapshotTest, SeveralAdaptersKeepChainOrderAndEveryList) {
    Prime();
    FakeAdapter wired;
    wired.index = 11;
    wired.name = "  {AAAAAAAA-0000-0000-0000-000000000001}\r\n";
    wired.description = "\tWired adapter ";
    wired.mac = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    wired.type = 6;
    wired.dhcpEnabled = 1;
    wired.current = 1;
    wired.addresses = {{"10.0.0.7", "255.0.0.0"}, {"192.168.5.20", "255.255.255.0"}, {"172.16.0.3", "255.255.0.0"}};
    wired.gateways = Addresses({"192.168.5.1", "10.0.0.1"});
    wired.dhcpServers = Addresses({"192.168.5.2"});
    wired.primaryWins = Addresses({"192.168.5.3", "192.168.5.4"});
    wired.secondaryWins = Addresses({"192.168.5.5", "192.168.5.6", "192.168.5.7"});

    FakeAdapter bare;  // no hardware address, no current address, empty lists
    bare.index = 12;
    bare.name = "{BBBBBBBB-0000-0000-0000-000000000002}";
    bare.description = "Wireless adapter";
    bare.type = 71;

    FakeAdapter loopback = FirstAdapter();
    loopback.index = 1;
    loopback.type = 24;
    loopback.mac = {0xFE, 0xDC, 0xBA};

    fake.adapters = {wired, bare, loopback};
    config.Refresh();

    EXPECT_TRUE(fake.adaptersBufferArrivedZeroed);
    ASSERT_EQ(config.Adapters.size(), 3u);

    const TconAdapterInfo& first = *config.Adapters[0];
    EXPECT_EQ(first.Index, 11u);
    EXPECT_EQ(first.AdapterName, "{AAAAAAAA-0000-0000-0000-000000000001}");
    EXPECT_EQ(first.Description, "Wired adapter");
    EXPECT_EQ(first.MACAddress, "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(first.AdapterType, "Ethernet");
    EXPECT_TRUE(first.DHCPEnabled);
    EXPECT_EQ(first.CurrentIPAddress, "192.168.5.20");
    EXPECT_EQ(first.CurrentSubnetMask, "255.255.255.0");
    EXPECT_EQ(first.IPAddresses, (std::vector<std::string>{"10.0.0.7", "192.168.5.20", "172.16.0.3"}));
    EXPECT_EQ(first.SubnetMasks, (std::vector<std::string>{"255.0.0.0", "255.255.255.0", "255.255.0.0"}));
    EXPECT_EQ(first.Gateways, (std::vector<std::string>{"192.168.5.1", "10.0.0.1"}));
    EXPECT_EQ(first.DHCPServers, (std::vector<std::string>{"192.168.5.2"}));
    EXPECT_EQ(first.PrimaryWINSServers, (std::vector<std::string>{"192.168.5.3", "192.168.5.4"}));
    EXPECT_EQ(first.SecondaryWINSServers, (std::vector<std::string>{"192.168.5.5", "192.168.5.6", "192.168.5.7"}));

    const TconAdapterInfo& second = *config.Adapters[1];
    EXPECT_EQ(second.Index, 12u);
    EXPECT_EQ(second.MACAddress, "00-00-00-00-00-00");
    EXPECT_EQ(second.AdapterType, "UNKNOWN");
    EXPECT_FALSE(second.DHCPEnabled);
    EXPECT_EQ(second.CurrentIPAddress, "000.000.000.000");
    EXPECT_EQ(second.CurrentSubnetMask, "000.000.000.000");
    const std::vector<std::string> oneEmpty{""};
    EXPECT_EQ(second.IPAddresses, oneEmpty);
    EXPECT_EQ(second.SubnetMasks, oneEmpty);
    EXPECT_EQ(second.Gateways, oneEmpty);
    EXPECT_EQ(second.DHCPServers, oneEmpty);
    EXPECT_EQ(second.PrimaryWINSServers, oneEmpty);
    EXPECT_EQ(second.SecondaryWINSServers, oneEmpty);

    const TconAdapterInfo& third = *config.Adapters[2];
    EXPECT_EQ(third.Index, 1u);
    EXPECT_EQ(third.AdapterType, "Loopback");
    EXPECT_EQ(third.MACAddress, "FE-DC-BA");
    EXPECT_EQ(third.CurrentIPAddress, "10.0.0.5");
}

struct LeaseCase {
    const char* name;
    LONG bias;
    LONG daylightBias;
    DWORD zoneResult;
    LocalDateTime obtained;  // lease obtained at 0
    LocalDateTime expires;   // lease expires at 1700000000 (2023-11-14 22:13:20 UTC)
};

void PrintTo(const LeaseCase& row, std::ostream* out) {
    *out << row.name;
}

class IpConfigLeaseTimeZoneTest : public IpConfigSnapshotTest, public testing::WithParamInterface<LeaseCase> {};

TEST_P(IpConfigLeaseTimeZoneTest, ConvertsThroughTheCurrentZone) {
    const LeaseCase& row = GetParam();
    SCOPED_TRACE(row.name);
    FakeAdapter adapter = FirstAdapter();
    adapter.leaseObtained = 0;
    adapter.leaseExpires = 1700000000;
    fake.network = FirstNetwork();
    fake.adapters = {adapter};
    fake.bias = row.bias;
    fake.daylightBias = row.daylightBias;
    fake.timeZoneResult = row.zoneResult;

    config.Refresh();

    ASSERT_EQ(config.Adapters.size(), 1u);
    EXPECT_EQ(config.Adapters[0]->LeaseObtained, row.obtained);
    EXPECT_EQ(config.Adapters[0]->LeaseExpires, row.expires);
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    IpConfigLeaseTimeZoneTest,
    testing::ValuesIn(std::vector<LeaseCase>{
        // Standard time still subtracts the daylight bias.
        {"west of UTC in standard time",
         300,
         -60,
         TIME_ZONE_ID_STANDARD,
         {1969, 12, 31, 20, 0, 0},
         {2023, 11, 14, 18, 13, 20}},
        {"east of UTC in daylight time",
         -60,
         -60,
         TIME_ZONE_ID_DAYLIGHT,
         {1970, 1, 1, 2, 0, 0},
         {2023, 11, 15, 0, 13, 20}},
        // A failed zone query gives no trustworthy biases; the lease is then shown in UTC.
        {"zone query failing", 300, -60, TIME_ZONE_ID_INVALID, {1970, 1, 1, 0, 0, 0}, {2023, 11, 14, 22, 13, 20}},
    }),
    fakes::RowName<LeaseCase>);

TEST_F(IpConfigSnapshotTest, PointersOutsideTheAnswerAreNotFollowed) {
    static IP_ADDR_STRING outside = {};
    std::strcpy(outside.IpAddress.String, "127.9.9.9");
    static IP_ADAPTER_INFO outsideAdapter = {};
    FakeAdapter adapter = FirstAdapter();
    adapter.addresses = {{"10.0.0.5", "255.0.0.0"}, {"10.0.0.6", "255.0.0.0"}};
    fake.adapters = {adapter, FirstAdapter()};
    fake.afterAdaptersWrite = [](IP_ADAPTER_INFO* list) {
        list[0].CurrentIpAddress = &outside;
        list[0].IpAddressList.Next->Next = &outside;
        list[1].Next = &outsideAdapter;
    };
    config.Refresh();

    ASSERT_EQ(config.Adapters.size(), 2u);
    EXPECT_EQ(config.Adapters[0]->CurrentIPAddress, "000.000.000.000");
    EXPECT_EQ(config.Adapters[0]->IPAddresses, (std::vector<std::string>{"10.0.0.5", "10.0.0.6"}));
}

TEST_F(IpConfigSnapshotTest, LoopingDnsChainEndsAtTheWalkLimit) {
    Prime();
    fake.network.dnsServers = {"1.1.1.1", "2.2.2.2"};
    fake.loopDnsChain = true;

    config.Refresh();

    ASSERT_EQ(config.DNSServers.size(), kMaxChainEntries);
    EXPECT_EQ(config.DNSServers[0], "1.1.1.1");
    EXPECT_EQ(config.DNSServers[1], "2.2.2.2");
    EXPECT_EQ(config.DNSServers[2], "1.1.1.1");
}

}  // namespace
}  // namespace quillcrest
