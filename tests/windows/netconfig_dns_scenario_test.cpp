#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "netconfig/dns_server_list_win.h"
#include "netconfig/wmi_query_win.h"

namespace quillcrest {
namespace {

// Run by tests/windows/dns_scenarios.sh inside a mount namespace whose /etc/resolv.conf holds known servers;
// QC_EXPECT_DNS names the list expected from them ("-" for none). Without the variable there is nothing to
// compare against, so an ordinary run skips these.
constexpr const char* kExpectationVariable = "QC_EXPECT_DNS";
constexpr const char* kNoServers = "-";

class NetconfigDnsScenario : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* expected = std::getenv(kExpectationVariable);
        if (expected == nullptr)
            GTEST_SKIP() << kExpectationVariable << " is not set";
        expected_ = expected == std::string(kNoServers) ? std::string() : std::string(expected);
    }

    std::string expected_;
};

TEST_F(NetconfigDnsScenario, DnsServerListMatchesResolverConfiguration) {
    EXPECT_EQ(GetDNSServerList(), expected_);
}

// Wine gives every adapter the resolver's servers; IPv6 entries have no place in a DNS server list.
TEST_F(NetconfigDnsScenario, WmiSearchOrderMatchesResolverConfiguration) {
    WmiConnection connection;
    WbemQuery query(&connection);
    query.setWql("SELECT SettingID,DNSServerSearchOrder FROM Win32_NetworkAdapterConfiguration");
    query.open();
    int rows = 0;
    for (query.first(); !query.eof(); query.next(), ++rows) {
        const WmiValue order = query.fieldByName("DNSServerSearchOrder");
        SCOPED_TRACE(query.fieldByName("SettingID").asText());
        std::string list;
        if (order.isArray()) {
            for (const WmiValue& server : order.items()) {
                const std::string address = server.asText();
                if (address.find(':') == std::string::npos)
                    list += (list.empty() ? "" : ",") + address;
            }
        }
        EXPECT_EQ(list, expected_);
    }
    query.close();
    EXPECT_GT(rows, 0);
}

}  // namespace
}  // namespace quillcrest
