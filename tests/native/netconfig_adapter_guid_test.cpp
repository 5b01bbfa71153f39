#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "netconfig/adapter_guid.h"
#include "netconfig/wmi_error.h"
#include "support/netconfig_fake_wmi_query.h"

namespace quillcrest {
namespace {

using fakes::FakeWmiQuery;

struct AdapterRow {
    const char* id;
    const char* metric;  // nullptr: IPConnectionMetric is null
    const char* index;
};

// Property names as WMI spells them, or in other letter case: WMI matches them whatever their case.
enum class NameCase { AsDeclared, Other };

FakeWmiQuery::Row MakeRow(const AdapterRow& adapter, NameCase names = NameCase::AsDeclared) {
    const bool other = names == NameCase::Other;
    // Integers reach the reader as integer values, just as WMI delivers uint32 properties.
    return {
        {other ? "DESCRIPTION" : "Description", WmiValue::Text(std::string("Adapter ") + adapter.id)},
        {other ? "ipconnectionmetric" : "IPConnectionMetric",
         adapter.metric ? WmiValue::Integer(std::stoll(adapter.metric)) : WmiValue::Null()},
        {other ? "settingId" : "SettingID", WmiValue::Text(adapter.id)},
        {other ? "INDEX" : "Index", WmiValue::Integer(std::stoll(adapter.index))},
    };
}

struct ChoiceCase {
    const char* name;
    std::vector<AdapterRow> rows;
    const char* expected;
    NameCase names = NameCase::AsDeclared;
};

class GetAdaptorGuidChoiceTest : public ::testing::TestWithParam<ChoiceCase> {};

// The choice must not depend on the order WMI delivers the rows in, so every case runs in every order.
TEST_P(GetAdaptorGuidChoiceTest, ChoosesLowestMetricThenLowestIndexInAnyRowOrder) {
    const ChoiceCase& row = GetParam();
    SCOPED_TRACE(row.name);
    std::vector<std::size_t> order(row.rows.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    do {
        std::vector<FakeWmiQuery::Row> rows;
        std::string orderText;
        for (std::size_t i : order) {
            rows.push_back(MakeRow(row.rows[i], row.names));
            orderText += std::string(row.rows[i].id) + " ";
        }
        SCOPED_TRACE("row order: " + orderText);
        FakeWmiQuery query(rows);
        EXPECT_EQ(GetAdaptorGUID(query), row.expected);
        EXPECT_EQ(query.wql(),
                  "SELECT Description,IPConnectionMetric,SettingID,Index FROM Win32_NetworkAdapterConfiguration");
        EXPECT_EQ(query.openCount(), 1);
        EXPECT_FALSE(query.isOpen());
    } while (std::next_permutation(order.begin(), order.end()));
}

const ChoiceCase kChoiceCases[] = {
    {"no rows", {}, ""},
    {"single adapter with a metric", {{"{A}", "25", "7"}}, "{A}"},
    {"single adapter without a metric", {{"{A}", nullptr, "7"}}, ""},
    {"all metrics null", {{"{A}", nullptr, "1"}, {"{B}", nullptr, "2"}, {"{C}", nullptr, "3"}}, ""},
    {"lowest metric beats lower index", {{"{A}", "20", "1"}, {"{B}", "10", "9"}, {"{C}", "30", "0"}}, "{B}"},
    {"metrics compare as integers", {{"{A}", "100", "1"}, {"{B}", "25", "2"}}, "{B}"},
    {"tie goes to lowest index", {{"{A}", "20", "4"}, {"{B}", "20", "2"}, {"{C}", "20", "3"}}, "{B}"},
    {"indexes compare as integers", {{"{A}", "5", "10"}, {"{B}", "5", "9"}}, "{B}"},
    {"null metric never chosen despite lowest index",
     {{"{A}", nullptr, "0"}, {"{B}", "40", "8"}, {"{C}", "40", "6"}, {"{D}", nullptr, "1"}},
     "{C}"},
    {"tie among lowest with higher metrics around",
     {{"{A}", "50", "1"}, {"{B}", "10", "12"}, {"{C}", "10", "11"}, {"{D}", "11", "0"}},
     "{C}"},
    {"property names in other letter case",
     {{"{A}", "20", "1"}, {"{B}", "10", "2"}, {"{C}", "10", "3"}},
     "{B}",
     NameCase::Other},
};

INSTANTIATE_TEST_SUITE_P(Table, GetAdaptorGuidChoiceTest, ::testing::ValuesIn(kChoiceCases));

class GetAdaptorGuidFailureTest : public ::testing::Test {
  protected:
    FakeWmiQuery query_;
};

TEST_F(GetAdaptorGuidFailureTest, OpenFailurePassesThroughUnchanged) {
    query_.failOpenWith("80041003: Access denied: the current user may not perform this operation");
    try {
        GetAdaptorGUID(query_);
        FAIL() << "no error raised";
    } catch (const EWmiError& error) {
        EXPECT_STREQ(error.what(), "80041003: Access denied: the current user may not perform this operation");
    }
    EXPECT_FALSE(query_.isOpen());
}

TEST_F(GetAdaptorGuidFailureTest, ErrorInTheWalkClosesTheQuery) {
    FakeWmiQuery::Row withoutSettingId = MakeRow({"{B}", "5", "2"});
    withoutSettingId.erase("SettingID");
    query_.setRows({MakeRow({"{A}", "10", "1"}), withoutSettingId, MakeRow({"{C}", "1", "3"})});
    EXPECT_THROW(GetAdaptorGUID(query_), EWmiError);
    EXPECT_EQ(query_.openCount(), 1);
    EXPECT_EQ(query_.closeCount(), 1);
    EXPECT_FALSE(query_.isOpen());
}

TEST_F(GetAdaptorGuidFailureTest, StrictReadOfMissingMetricRaises) {
    FakeWmiQuery::Row withoutMetric = MakeRow({"{A}", "10", "1"});
    withoutMetric.erase("IPConnectionMetric");
    query_.setRows({withoutMetric});
    EXPECT_THROW(GetAdaptorGUID(query_), EWmiError);
    EXPECT_FALSE(query_.isOpen());
}

TEST_F(GetAdaptorGuidFailureTest, NonNumericMetricRaisesInsteadOfGuessing) {
    FakeWmiQuery::Row odd = MakeRow({"{A}", "10", "1"});
    odd["IPConnectionMetric"] = WmiValue::Text("ten");
    query_.setRows({MakeRow({"{B}", "20", "2"}), odd});
    EXPECT_THROW(GetAdaptorGUID(query_), EWmiError);
    EXPECT_FALSE(query_.isOpen());
}

}  // namespace
}  // namespace quillcrest
