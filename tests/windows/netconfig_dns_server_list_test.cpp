#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "netconfig/dns_server_list_win.h"

namespace quillcrest {
namespace {

constexpr DWORD kNatural = 0xFFFFFFFF;  // the fake answers as IP Helper would
constexpr ULONG kFirstBuffer = 584;
constexpr ULONG kFixedInfo = sizeof(FIXED_INFO);
constexpr ULONG kEntry = sizeof(IP_ADDR_STRING);

// Stands in for GetNetworkParams: lays out FIXED_INFO and the further server entries inside the caller's
// buffer, as IP Helper does, and asks for more room when the buffer is too small.
struct FakeNetworkParams {
    std::vector<std::string> servers;  // raw address texts; 16 characters leave no room for the NUL
    ULONG claimedSize = 0;             // 0: the size the servers really need
    std::vector<DWORD> statuses;       // forced answer per call; kNatural or missing: behave normally
    std::vector<ULONG> offeredSizes;

    ULONG neededSize() const {
        if (claimedSize)
            return claimedSize;
        return kFixedInfo + static_cast<ULONG>(servers.size() > 1 ? (servers.size() - 1) * kEntry : 0);
    }

    static void WriteEntry(IP_ADDR_STRING& entry, const std::string& address) {
        std::memset(&entry, 0, sizeof entry);
        std::memcpy(entry.IpAddress.String, address.data(), std::min<std::size_t>(address.size(), 16));
        // Bytes right after the address are not NUL, so an unterminated address would run on into them.
        std::strcpy(entry.IpMask.String, "255.255.255.255");
    }

    DWORD operator()(FIXED_INFO* info, ULONG* size) {
        const std::size_t call = offeredSizes.size();
        offeredSizes.push_back(*size);
        if (call < statuses.size() && statuses[call] != kNatural)
            return statuses[call];
        if (*size < neededSize()) {
            *size = neededSize();
            return ERROR_BUFFER_OVERFLOW;
        }
        auto* bytes = reinterpret_cast<unsigned char*>(info);
        auto* first = reinterpret_cast<IP_ADDR_STRING*>(bytes + offsetof(FIXED_INFO, DnsServerList));
        WriteEntry(*first, servers.empty() ? std::string() : servers[0]);
        IP_ADDR_STRING* previous = first;
        for (std::size_t i = 1; i < servers.size(); ++i) {
            auto* entry = reinterpret_cast<IP_ADDR_STRING*>(bytes + kFixedInfo + (i - 1) * kEntry);
            WriteEntry(*entry, servers[i]);
            previous->Next = entry;
            previous = entry;
        }
        return ERROR_SUCCESS;
    }
};

std::vector<std::string> NumberedServers(int count) {
    std::vector<std::string> servers;
    for (int i = 1; i <= count; ++i)
        servers.push_back("10.0." + std::to_string(i / 256) + "." + std::to_string(i % 256));
    return servers;
}

std::string Joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : ",") + item;
    return out;
}

struct ListCase {
    const char* name;
    std::vector<std::string> servers;
    ULONG claimedSize;
    std::vector<DWORD> statuses;
    std::string expected;
    std::vector<ULONG> expectedOffers;
};

class DnsServerListTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(DnsServerListTest, ReadsServerChain) {
    const ListCase& row = GetParam();
    SCOPED_TRACE(row.name);
    FakeNetworkParams fake{row.servers, row.claimedSize, row.statuses, {}};
    EXPECT_EQ(GetDNSServerList(std::ref(fake)), row.expected);
    EXPECT_EQ(fake.offeredSizes, row.expectedOffers);
}

const ListCase kListCases[] = {
    {"first call fails with another status", {"10.0.0.1"}, 0, {ERROR_NOT_SUPPORTED}, "", {kFirstBuffer}},
    {"retry fails", {"10.0.0.1"}, 0, {kNatural, ERROR_INVALID_PARAMETER}, "", {kFirstBuffer, kFixedInfo}},
    {"one server fitting the first buffer", {"10.0.0.1"}, kFirstBuffer, {}, "10.0.0.1", {kFirstBuffer}},
    {"one server after the retry", {"208.67.222.222"}, 0, {}, "208.67.222.222", {kFirstBuffer, kFixedInfo}},
    {"three servers in platform order",
     {"10.0.0.3", "10.0.0.1", "10.0.0.2"},
     0,
     {},
     "10.0.0.3,10.0.0.1,10.0.0.2",
     {kFirstBuffer, kFixedInfo + 2 * kEntry}},
    {"many servers overflow and all arrive",
     NumberedServers(40),
     0,
     {},
     Joined(NumberedServers(40)),
     {kFirstBuffer, kFixedInfo + 39 * kEntry}},
    {"empty first server means no list",
     {"", "10.0.0.2", "10.0.0.3"},
     0,
     {},
     "",
     {kFirstBuffer, kFixedInfo + 2 * kEntry}},
    {"unterminated 16-character address is cut at 16",
     {"1234567890123456", "10.0.0.2"},
     0,
     {},
     "1234567890123456,10.0.0.2",
     {kFirstBuffer, kFixedInfo + kEntry}},
    {"empty later entry leaves no stray comma",
     {"10.0.0.1", "", "10.0.0.3"},
     0,
     {},
     "10.0.0.1,10.0.0.3",
     {kFirstBuffer, kFixedInfo + 2 * kEntry}},
    {"unbelievable size is not allocated", {"10.0.0.1"}, 16 * 1024 * 1024, {}, "", {kFirstBuffer}},
    {"overflow twice gives up after one retry",
     {"10.0.0.1"},
     0,
     {ERROR_BUFFER_OVERFLOW, ERROR_BUFFER_OVERFLOW},
     "",
     {kFirstBuffer, kFirstBuffer}},
};

INSTANTIATE_TEST_SUITE_P(Table, DnsServerListTest, ::testing::ValuesIn(kListCases));

TEST(DnsServerListLinkTest, EntriesOutsideTheBufferAreNotRead) {
    IP_ADDR_STRING outside = {};
    std::strcpy(outside.IpAddress.String, "9.9.9.9");
    FakeNetworkParams layout{{"10.0.0.1", "10.0.0.2"}, 0, {}, {}};
    auto platform = [&](FIXED_INFO* info, ULONG* size) {
        const DWORD status = layout(info, size);
        if (status == ERROR_SUCCESS)
            info->DnsServerList.Next->Next = &outside;
        return status;
    };
    EXPECT_EQ(GetDNSServerList(platform), "10.0.0.1,10.0.0.2");
}

TEST(DnsServerListLinkTest, CircularChainEnds) {
    FakeNetworkParams layout{{"10.0.0.1", "10.0.0.2"}, 0, {}, {}};
    auto platform = [&](FIXED_INFO* info, ULONG* size) {
        const DWORD status = layout(info, size);
        if (status == ERROR_SUCCESS)
            info->DnsServerList.Next->Next = info->DnsServerList.Next;
        return status;
    };
    const std::string list = GetDNSServerList(platform);
    EXPECT_EQ(list.rfind("10.0.0.1,10.0.0.2", 0), 0u) << list;
}

TEST(DnsServerListLinkTest, FailingPlatformFunctionGivesEmptyList) {
    auto platform = [](FIXED_INFO*, ULONG*) -> DWORD { throw std::runtime_error("no IP Helper"); };
    EXPECT_EQ(GetDNSServerList(platform), "");
}

TEST(DnsServerListRealTest, IpHelperAnswerHasListForm) {
    const std::string list = GetDNSServerList();
    EXPECT_TRUE(std::regex_match(list, std::regex(R"(([0-9]{1,3}(\.[0-9]{1,3}){3})(,[0-9]{1,3}(\.[0-9]{1,3}){3})*|)")))
        << list;
}

}  // namespace
}  // namespace quillcrest
