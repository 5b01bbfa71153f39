#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "netconfig/ip_config_snapshot_win.h"

namespace quillcrest {
namespace {

// Room for far more DNS servers than a test machine has, so one direct call answers.
constexpr ULONG kDirectQueryBytes = 64 * 1024;

// The DNS servers as the platform reports them, read straight from GetNetworkParams.
std::vector<std::string> PlatformDnsServers() {
    std::vector<std::uint64_t> storage(kDirectQueryBytes / sizeof(std::uint64_t));
    auto* info = reinterpret_cast<FIXED_INFO*>(storage.data());
    ULONG size = kDirectQueryBytes;
    EXPECT_EQ(::GetNetworkParams(info, &size), static_cast<DWORD>(ERROR_SUCCESS));
    std::vector<std::string> servers;
    for (const IP_ADDR_STRING* entry = &info->DnsServerList; entry != nullptr; entry = entry->Next)
        servers.emplace_back(entry->IpAddress.String);
    return servers;
}

TEST(IpConfigSystemTest, RefreshReadsTheMachineConfiguration) {
    IpConfigSnapshot config;
    ASSERT_NO_THROW(config.Refresh());

    EXPECT_FALSE(config.HostName.empty());
    const std::vector<std::string> expected = PlatformDnsServers();
    EXPECT_EQ(config.DNSServers, expected);
    ASSERT_FALSE(config.DNSServers.empty());
    EXPECT_FALSE(config.DNSServers.front().empty()) << "the test machine's resolv.conf names a server";

    ASSERT_FALSE(config.Adapters.empty());
    const std::regex macShape("[0-9A-F]{2}(-[0-9A-F]{2}){0,7}");
    for (const auto& adapter : config.Adapters) {
        SCOPED_TRACE(adapter->AdapterName);
        EXPECT_TRUE(std::regex_match(adapter->MACAddress, macShape)) << adapter->MACAddress;
        EXPECT_FALSE(adapter->IPAddresses.empty());
        EXPECT_EQ(adapter->IPAddresses.size(), adapter->SubnetMasks.size());
    }

    // A second refresh replaces rather than appends.
    const std::size_t adapterCount = config.Adapters.size();
    ASSERT_NO_THROW(config.Refresh());
    EXPECT_EQ(config.Adapters.size(), adapterCount);
    EXPECT_EQ(config.DNSServers, expected);
}

TEST(IpConfigSystemTest, SystemMessageComesWithoutTheLineBreak) {
    SystemIpHelperApi api;
    const std::string text = api.SystemMessage(ERROR_BUFFER_OVERFLOW);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), '\n');
    EXPECT_NE(text.back(), '\r');
    EXPECT_EQ(api.SystemMessage(0x2FFFFFFF), "") << "a code without a system text";
}

}  // namespace
}  // namespace quillcrest
