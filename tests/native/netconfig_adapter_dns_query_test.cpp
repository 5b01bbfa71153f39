#include <gtest/gtest.h>

#include <string>

#include "netconfig/adapter_dns_query.h"

namespace quillcrest {
namespace {

struct QueryCase {
    const char* name;
    std::string settingId;
    std::string expectedLiteral;  // what stands between the quotes
};

class AdapterDnsQueryTest : public ::testing::TestWithParam<QueryCase> {};

TEST_P(AdapterDnsQueryTest, SelectsTheIpEnabledAdapterByIdentifier) {
    const QueryCase& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(AdapterDnsQuery(row.settingId),
              "Select * from Win32_NetworkAdapterConfiguration where IPEnabled=TRUE AND SettingID='" +
                  row.expectedLiteral + "'");
}

const QueryCase kQueryCases[] = {
    {"identifier inserted unchanged", "{4D36E972-E325-11CE-BFC1-08002BE10318}",
     "{4D36E972-E325-11CE-BFC1-08002BE10318}"},
    {"empty identifier", "", ""},
    {"quote cannot end the literal", "{A}' OR IPEnabled=TRUE OR SettingID='",
     "{A}\\' OR IPEnabled=TRUE OR SettingID=\\'"},
    {"backslash cannot escape the closing quote", "{A}\\", "{A}\\\\"},
};

INSTANTIATE_TEST_SUITE_P(Table, AdapterDnsQueryTest, ::testing::ValuesIn(kQueryCases));

}  // namespace
}  // namespace quillcrest
