#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/exception.h"
#include "lookup/ip_config_chain.h"
#include "lookup/ip_config_win.h"

namespace quillcrest {

// Internal linkage: each test file prints dates for itself without clashing at link time.
static void PrintTo(const LocalDateTime& t, std::ostream* os) {
    *os << t.year << '-' << t.month << '-' << t.day << ' ' << t.hour << ':' << t.minute << ':' << t.second;
}

namespace {

struct FakeAddress {
    std::string address;
    std::string mask;
};

struct FakeNetwork {
    std::string hostName;
    std::string domainName;
    std::string scopeId;
    UINT nodeType = 0;
    UINT enableRouting = 0;
    UINT enableProxy = 0;
    UINT enableDns = 0;
    std::vector<std::string> dnsServers;
};

struct FakeAdapter {
    DWORD index = 0;
    std::string name;
    std::string description;
    std::vector<BYTE> mac;
    UINT type = 0;
    UINT dhcpEnabled = 0;
    int current = -1;  // position in `addresses`, -1 for no current address
    std::vector<FakeAddress> addresses;
    std::vector<FakeAddress> gateways;
    std::vector<FakeAddress> dhcpServers;
    std::vector<FakeAddress> primaryWins;
    std::vector<FakeAddress> secondaryWins;
    time_t leaseObtained = 0;
    time_t leaseExpires = 0;
};

// Copies like the platform does: at most the field's size, no terminator when the text fills it.
void CopyField(char* field, std::size_t capacity, const std::string& text) {
    std::memset(field, 0, capacity);
    std::memcpy(field, text.data(), std::min(capacity, text.size()));
}

std::size_t ExtraEntries(std::size_t listSize) {
    return listSize > 0 ? listSize - 1 : 0;
}

// Fills the embedded head with the first element and chains the others from `pool`, the way the platform lays
// out further entries behind the head structures. Returns the entries in chain order.
std::vector<IP_ADDR_STRING*> WriteChain(IP_ADDR_STRING& head,
                                        const std::vector<FakeAddress>& list,
                                        IP_ADDR_STRING*& pool) {
    std::memset(&head, 0, sizeof head);
    std::vector<IP_ADDR_STRING*> entries{&head};
    for (std::size_t i = 0; i < list.size(); ++i) {
        IP_ADDR_STRING* entry = &head;
        if (i > 0) {
            entry = pool++;
            std::memset(entry, 0, sizeof *entry);
            entries.back()->Next = entry;
            entries.push_back(entry);
        }
        CopyField(entry->IpAddress.String, sizeof entry->IpAddress.String, list[i].address);
        CopyField(entry->IpMask.String, sizeof entry->IpMask.String, list[i].mask);
    }
    return entries;
}

std::vector<FakeAddress> Addresses(const std::vector<std::string>& texts) {
    std::vector<FakeAddress> list;
    for (const std::string& text : texts)
        list.push_back({text, ""});
    return list;
}

// Answers like IP Helper from a described configuration: size probe, overflow when the buffer is short, the
// structures written into the caller's buffer with pointers into that same buffer. Any call's result can be
// scripted instead.
class FakeIpHelper : public IpHelperApi {
  public:
    FakeNetwork network;
    std::vector<FakeAdapter> adapters;
    bool loopDnsChain = false;

    std::optional<DWORD> networkProbeResult;
    std::optional<DWORD> networkReadResult;
    std::optional<DWORD> adaptersProbeResult;
    std::optional<DWORD> adaptersReadResult;

    LONG bias = 0;
    LONG daylightBias = 0;
    DWORD timeZoneResult = TIME_ZONE_ID_STANDARD;

    std::vector<std::string> calls;  // IP Helper calls: name, whether a buffer came, the size offered
    bool adaptersBufferArrivedZeroed = false;

    ULONG NetworkSize() const {
        return static_cast<ULONG>(sizeof(FIXED_INFO) +
                                  ExtraEntries(network.dnsServers.size()) * sizeof(IP_ADDR_STRING));
    }

    ULONG AdaptersSize() const {
        std::size_t extra = 0;
        for (const FakeAdapter& a : adapters) {
            extra += ExtraEntries(a.addresses.size()) + ExtraEntries(a.gateways.size()) +
                     ExtraEntries(a.dhcpServers.size()) + ExtraEntries(a.primaryWins.size()) +
                     ExtraEntries(a.secondaryWins.size());
        }
        return static_cast<ULONG>(adapters.size() * sizeof(IP_ADAPTER_INFO) + extra * sizeof(IP_ADDR_STRING));
    }

    DWORD GetNetworkParams(FIXED_INFO* buffer, ULONG* size) override {
        Record("GetNetworkParams", buffer, *size);
        const ULONG required = NetworkSize();
        if (const std::optional<DWORD>& scripted = buffer ? networkReadResult : networkProbeResult) {
            if (!buffer)
                *size = required;
            return *scripted;
        }
        if (!buffer || *size < required) {
            *size = required;
            return ERROR_BUFFER_OVERFLOW;
        }
        std::memset(buffer, 0, required);
        CopyField(buffer->HostName, sizeof buffer->HostName, network.hostName);
        CopyField(buffer->DomainName, sizeof buffer->DomainName, network.domainName);
        CopyField(buffer->ScopeId, sizeof buffer->ScopeId, network.scopeId);
        buffer->NodeType = network.nodeType;
        buffer->EnableRouting = network.enableRouting;
        buffer->EnableProxy = network.enableProxy;
        buffer->EnableDns = network.enableDns;
        auto* pool = reinterpret_cast<IP_ADDR_STRING*>(buffer + 1);
        std::vector<IP_ADDR_STRING*> chain = WriteChain(buffer->DnsServerList, Addresses(network.dnsServers), pool);
        buffer->CurrentDnsServer = chain.front();
        if (loopDnsChain)
            chain.back()->Next = &buffer->DnsServerList;
        return ERROR_SUCCESS;
    }

    DWORD GetAdaptersInfo(IP_ADAPTER_INFO* buffer, ULONG* size) override {
        Record("GetAdaptersInfo", buffer, *size);
        const ULONG required = AdaptersSize();
        if (const std::optional<DWORD>& scripted = buffer ? adaptersReadResult : adaptersProbeResult) {
            if (!buffer)
                *size = required;
            return *scripted;
        }
        if (adapters.empty())
            return ERROR_NO_DATA;
        if (!buffer || *size < required) {
            *size = required;
            return ERROR_BUFFER_OVERFLOW;
        }
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer);
        adaptersBufferArrivedZeroed = std::all_of(bytes, bytes + *size, [](unsigned char b) { return b == 0; });

        auto* pool = reinterpret_cast<IP_ADDR_STRING*>(buffer + adapters.size());
        for (std::size_t i = 0; i < adapters.size(); ++i) {
            const FakeAdapter& a = adapters[i];
            IP_ADAPTER_INFO& entry = buffer[i];
            std::memset(&entry, 0, sizeof entry);
            entry.Next = i + 1 < adapters.size() ? &buffer[i + 1] : nullptr;
            entry.ComboIndex = a.index;
            CopyField(entry.AdapterName, sizeof entry.AdapterName, a.name);
            CopyField(entry.Description, sizeof entry.Description, a.description);
            entry.AddressLength = static_cast<UINT>(a.mac.size());
            std::copy(a.mac.begin(), a.mac.end(), entry.Address);
            entry.Index = a.index;
            entry.Type = a.type;
            entry.DhcpEnabled = a.dhcpEnabled;
            const std::vector<IP_ADDR_STRING*> ips = WriteChain(entry.IpAddressList, a.addresses, pool);
            entry.CurrentIpAddress = a.current >= 0 ? ips[a.current] : nullptr;
            WriteChain(entry.GatewayList, a.gateways, pool);
            WriteChain(entry.DhcpServer, a.dhcpServers, pool);
            entry.HaveWins = !a.primaryWins.empty();
            WriteChain(entry.PrimaryWinsServer, a.primaryWins, pool);
            WriteChain(entry.SecondaryWinsServer, a.secondaryWins, pool);
            entry.LeaseObtained = a.leaseObtained;
            entry.LeaseExpires = a.leaseExpires;
        }
        return ERROR_SUCCESS;
    }

    DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* zone) override {
        *zone = TIME_ZONE_INFORMATION{};
        zone->Bias = bias;
        zone->DaylightBias = daylightBias;
        return timeZoneResult;
    }

    std::string SystemMessage(DWORD code) override { return "text for " + std::to_string(code); }

    std::size_t CallsTo(const std::string& name) const {
        return std::count_if(calls.begin(), calls.end(),
                             [&name](const std::string& call) { return call.rfind(name, 0) == 0; });
    }

  private:
    void Record(const char* name, const void* buffer, ULONG size) {
        calls.push_back(std::string(name) + (buffer ? "(buffer, " : "(null, ") + std::to_string(size) + ")");
    }
};

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

SnapshotView View(const TconIPConfig& config) {
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
    TconIPConfig config{fake};
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
    const char* label;
    std::vector<std::string> servers;
    std::vector<std::string> expected;
};

class IpConfigDnsServersTest : public IpConfigSnapshotTest, public testing::WithParamInterface<DnsCase> {};

TEST_P(IpConfigDnsServersTest, ListsEveryServerInResolverOrder) {
    const DnsCase& row = GetParam();
    SCOPED_TRACE(row.label);
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
    }));

struct NetworkFailureCase {
    const char* label;
    std::optional<DWORD> probeResult;
    std::optional<DWORD> readResult;
    DWORD code;
};

class IpConfigNetworkFailureTest : public IpConfigSnapshotTest,
                                   public testing::WithParamInterface<NetworkFailureCase> {};

TEST_P(IpConfigNetworkFailureTest, KeepsEverythingAndSkipsAdapters) {
    const NetworkFailureCase& row = GetParam();
    SCOPED_TRACE(row.label);
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
                         }));

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
    const char* label;
    bool noAdapters;
    std::optional<DWORD> readResult;
    DWORD code;
};

class IpConfigAdapterFailureTest : public IpConfigSnapshotTest,
                                   public testing::WithParamInterface<AdapterFailureCase> {};

TEST_P(IpConfigAdapterFailureTest, KeepsOldAdaptersBehindNewNetworkFields) {
    const AdapterFailureCase& row = GetParam();
    SCOPED_TRACE(row.label);
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
                         }));

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
    const char* label;
    LONG bias;
    LONG daylightBias;
    DWORD zoneResult;
    LocalDateTime obtained;  // lease obtained at 0
    LocalDateTime expires;   // lease expires at 1700000000 (2023-11-14 22:13:20 UTC)
};

class IpConfigLeaseTimeZoneTest : public IpConfigSnapshotTest, public testing::WithParamInterface<LeaseCase> {};

TEST_P(IpConfigLeaseTimeZoneTest, ConvertsThroughTheCurrentZone) {
    const LeaseCase& row = GetParam();
    SCOPED_TRACE(row.label);
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
    }));

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
