#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "netconfig/dns_server_list_win.h"
#include "netconfig/ip_config_snapshot_win.h"
#include "support/fake_ip_helper_win.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using fakes::FakeIpHelper;

constexpr DWORD kNormally = FakeIpHelper::kAnswerNormally;
constexpr ULONG kFirstBuffer = 584;
constexpr ULONG kFixedInfo = sizeof(FIXED_INFO);
constexpr ULONG kEntry = sizeof(IP_ADDR_STRING);

std::vector<std::string> NumberedServers(int count) {
    std::vector<std::string> servers;
    for (int i = 1; i <= count; ++i)
        servers.push_back("127.0." + std::to_string(i / 256) + "." + std::to_string(i % 256));
    return servers;
}

std::string Joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : ",") + item;
    return out;
}

std::vector<std::string> Offers(const std::vector<ULONG>& sizes) {
    std::vector<std::string> calls;
    for (ULONG size : sizes)
        calls.push_back("GetNetworkParams(buffer, " + std::to_string(size) + ")");
    return calls;
}

struct ListCase {
    const char* name;
    std::vector<std::string> servers;
    ULONG claimedSize;
    std::vector<DWORD> resultsByCall;
    std::optional<std::string> expected;  // nullopt: the read failed
    std::vector<ULONG> expectedOffers;
};

void PrintTo(const ListCase& row, std::ostream* out) {
    *out << row.name;
}

class DnsServerListTest : public testing::TestWithParam<ListCase> {};

TEST_P(DnsServerListTest, ReadsServerChain) {
    const ListCase& row = GetParam();
    SCOPED_TRACE(row.name);
    FakeIpHelper fake;
    fake.network.dnsServers = row.servers;
    fake.networkClaimedSize = row.claimedSize;
    fake.networkResultsByCall = row.resultsByCall;
    EXPECT_EQ(ReadDNSServerList(fake), row.expected);
    EXPECT_EQ(fake.calls, Offers(row.expectedOffers));
}

const ListCase kListCases[] = {
    {"first call fails with another status", {"127.0.0.1"}, 0, {ERROR_NOT_SUPPORTED}, std::nullopt, {kFirstBuffer}},
    {"retry fails", {"127.0.0.1"}, 0, {kNormally, ERROR_INVALID_PARAMETER}, std::nullopt, {kFirstBuffer, kFixedInfo}},
    {"one server fitting the first buffer", {"127.0.0.1"}, kFirstBuffer, {}, "127.0.0.1", {kFirstBuffer}},
    {"one server after the retry", {"208.67.222.222"}, 0, {}, "208.67.222.222", {kFirstBuffer, kFixedInfo}},
    {"three servers in platform order",
     {"127.0.0.3", "127.0.0.1", "127.0.0.2"},
     0,
     {},
     "127.0.0.3,127.0.0.1,127.0.0.2",
     {kFirstBuffer, kFixedInfo + 2 * kEntry}},
    {"many servers overflow and all arrive",
     NumberedServers(40),
     0,
     {},
     Joined(NumberedServers(40)),
     {kFirstBuffer, kFixedInfo + 39 * kEntry}},
    // The platform answered, and it has no server: a list, and an empty one.
    {"no server at all is an empty list, not a failure", {}, 0, {}, "", {kFirstBuffer, kFixedInfo}},
    {"empty first server means no list",
     {"", "127.0.0.2", "127.0.0.3"},
     0,
     {},
     "",
     {kFirstBuffer, kFixedInfo + 2 * kEntry}},
    {"unterminated 16-character address is cut at 16",
     {"1234567890123456", "127.0.0.2"},
     0,
     {},
     "1234567890123456,127.0.0.2",
     {kFirstBuffer, kFixedInfo + kEntry}},
    {"empty later entry leaves no stray comma",
     {"127.0.0.1", "", "127.0.0.3"},
     0,
     {},
     "127.0.0.1,127.0.0.3",
     {kFirstBuffer, kFixedInfo + 2 * kEntry}},
    {"unbelievable size is not allocated", {"127.0.0.1"}, 16 * 1024 * 1024, {}, std::nullopt, {kFirstBuffer}},
    {"overflow twice gives up after one retry",
     {"127.0.0.1"},
     0,
     {ERROR_BUFFER_OVERFLOW, ERROR_BUFFER_OVERFLOW},
     std::nullopt,
     {kFirstBuffer, kFirstBuffer}},
};

INSTANTIATE_TEST_SUITE_P(Table, DnsServerListTest, testing::ValuesIn(kListCases), fakes::RowName<ListCase>);

TEST(DnsServerListLinkTest, EntriesOutsideTheAnswerAreNotRead) {
    static IP_ADDR_STRING outside = {};
    std::strcpy(outside.IpAddress.String, "127.9.9.9");
    FakeIpHelper fake;
    fake.network.dnsServers = {"127.0.0.1", "127.0.0.2"};
    fake.afterNetworkWrite = [](FIXED_INFO& info) { info.DnsServerList.Next->Next = &outside; };
    EXPECT_EQ(ReadDNSServerList(fake), "127.0.0.1,127.0.0.2");
}

TEST(DnsServerListLinkTest, CircularChainEnds) {
    FakeIpHelper fake;
    fake.network.dnsServers = {"127.0.0.1", "127.0.0.2"};
    fake.loopDnsChain = true;
    const std::optional<std::string> list = ReadDNSServerList(fake);
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(list->rfind("127.0.0.1,127.0.0.2,127.0.0.1", 0), 0u) << *list;
}

TEST(DnsServerListLinkTest, RaisingPlatformIsAFailedReadAndTheTextFormEmpty) {
    struct ThrowingIpHelper : FakeIpHelper {
        DWORD GetNetworkParams(FIXED_INFO*, ULONG*) override { throw std::runtime_error("no IP Helper"); }
    } fake;
    EXPECT_EQ(ReadDNSServerList(fake), std::nullopt);
}

// The list reader and the snapshot read the same platform answer; they must agree on the real machine.
TEST(DnsServerListRealTest, AgreesWithTheSnapshotOfTheRealMachine) {
    const std::optional<std::string> list = ReadDNSServerList();
    ASSERT_TRUE(list.has_value());
    IpConfigSnapshot snapshot;
    snapshot.Refresh();
    std::vector<std::string> servers;
    for (const std::string& server : snapshot.DNSServers)
        if (!server.empty())
            servers.push_back(server);
    EXPECT_EQ(*list, Joined(servers));
    EXPECT_EQ(GetDNSServerList(), *list);
}

}  // namespace
}  // namespace quillcrest
