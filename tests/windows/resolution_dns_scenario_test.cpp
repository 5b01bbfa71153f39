#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "resolution/adapter_dns_source_win.h"

namespace quillcrest {
namespace {

// Run by tests/windows/dns_scenarios.sh inside a mount namespace whose /etc/resolv.conf holds known servers;
// QC_EXPECT_ADAPTER_DNS names the IPv4 and the IPv6 servers expected on every adapter, as "ipv4,.../ipv6,...".
// Without the variable there is nothing to compare against, so an ordinary run skips these.
constexpr const char* kExpectationVariable = "QC_EXPECT_ADAPTER_DNS";

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        items.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

class ResolutionDnsScenario : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* expected = std::getenv(kExpectationVariable);
        if (expected == nullptr)
            GTEST_SKIP() << kExpectationVariable << " is not set";
        const std::string text = expected;
        const std::size_t slash = text.find('/');
        ASSERT_NE(slash, std::string::npos) << text;
        ipv4_ = Split(text.substr(0, slash));
        ipv6_ = Split(text.substr(slash + 1));
    }

    std::vector<std::string> ipv4_;
    std::vector<std::string> ipv6_;
};

// Wine gives every adapter the resolver's servers, IPv6 ones included, in the file's order.
TEST_F(ResolutionDnsScenario, EveryAdapterListsTheResolverServersOfBothFamilies) {
    const AdapterSnapshot snapshot = Win32AdapterDnsSource().ReadAdapters();
    ASSERT_EQ(snapshot.state, ReadState::Read);
    ASSERT_FALSE(snapshot.adapters.empty());
    for (const AdapterDns& adapter : snapshot.adapters) {
        SCOPED_TRACE(adapter.id + " " + adapter.name);
        EXPECT_EQ(adapter.id.front(), '{');
        EXPECT_FALSE(adapter.name.empty());
        EXPECT_EQ(adapter.ipv6Servers, ipv6_);
        EXPECT_EQ(adapter.ipv4Servers, ipv4_);
    }
}

}  // namespace
}  // namespace quillcrest
