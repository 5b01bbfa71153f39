#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "netconfig/wmi_error.h"
#include "netconfig/wmi_value.h"

namespace quillcrest {
namespace {

struct ConversionCase {
    const char* name;
    WmiValue value;
    const char* text;  // nullptr: asText raises
    int boolean;       // -1: asBoolean raises
};

class WmiValueConversionTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(WmiValueConversionTest, ReadsAsTextAndBoolean) {
    const ConversionCase& row = GetParam();
    SCOPED_TRACE(row.name);
    if (row.text)
        EXPECT_EQ(row.value.asText(), row.text);
    else
        EXPECT_THROW(row.value.asText(), EWmiError);
    if (row.boolean >= 0)
        EXPECT_EQ(row.value.asBoolean(), row.boolean == 1);
    else
        EXPECT_THROW(row.value.asBoolean(), EWmiError);
}

const ConversionCase kConversionCases[] = {
    {"none (missing property)", WmiValue(), "", 0},
    {"null", WmiValue::Null(), "", 0},
    {"true", WmiValue::Boolean(true), "True", 1},
    {"false", WmiValue::Boolean(false), "False", 0},
    {"zero", WmiValue::Integer(0), "0", 0},
    {"uint32 maximum", WmiValue::Integer(4294967295LL), "4294967295", 1},
    {"negative sint32", WmiValue::Integer(-2147483647LL - 1), "-2147483648", 1},
    {"text", WmiValue::Text("{4D36E972-E325-11CE-BFC1-08002BE10318}"), "{4D36E972-E325-11CE-BFC1-08002BE10318}", -1},
    {"empty text", WmiValue::Text(""), "", -1},
    {"array", WmiValue::Array({WmiValue::Text("10.0.0.1")}), nullptr, -1},
    {"empty array", WmiValue::Array({}), nullptr, -1},
};

INSTANTIATE_TEST_SUITE_P(Table, WmiValueConversionTest, ::testing::ValuesIn(kConversionCases));

TEST(WmiValueTest, KindsAreDistinct) {
    EXPECT_TRUE(WmiValue().isNone());
    EXPECT_FALSE(WmiValue().isNull());
    EXPECT_TRUE(WmiValue::Null().isNull());
    EXPECT_FALSE(WmiValue::Null().isNone());
    EXPECT_FALSE(WmiValue::Text("").isNull());
    EXPECT_TRUE(WmiValue::Array({}).isArray());
    EXPECT_FALSE(WmiValue::Null().isArray());
}

TEST(WmiValueTest, ArrayKeepsOrderFromIndexZero) {
    const WmiValue servers =
        WmiValue::Array({WmiValue::Text("10.0.0.1"), WmiValue::Text("10.0.0.2"), WmiValue::Integer(3)});
    ASSERT_EQ(servers.itemCount(), 3u);
    EXPECT_EQ(servers.item(0).asText(), "10.0.0.1");
    EXPECT_EQ(servers.item(1).asText(), "10.0.0.2");
    EXPECT_EQ(servers.item(2).asText(), "3");
    EXPECT_EQ(servers.items().back().kind(), WmiValue::Kind::Integer);
    EXPECT_THROW(servers.item(3), EWmiError);
}

TEST(WmiValueTest, ArrayAccessOnOtherKindsRaises) {
    for (const WmiValue& value : {WmiValue(), WmiValue::Null(), WmiValue::Text("a,b"), WmiValue::Integer(1)}) {
        SCOPED_TRACE(static_cast<int>(value.kind()));
        EXPECT_THROW(value.itemCount(), EWmiError);
        EXPECT_THROW(value.item(0), EWmiError);
        EXPECT_THROW(value.items(), EWmiError);
    }
}

}  // namespace
}  // namespace quillcrest
