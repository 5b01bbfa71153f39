#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

#include "settings/typed_value.h"

namespace quillcrest {
namespace {

struct NumberCase {
    const char* name;
    TypedValue value;
    ValueKind kind;
    std::optional<std::int32_t> int32;  // nullopt: asInt32 refuses
    std::optional<double> number;       // nullopt: asDouble refuses
};

class SettingsTypedValueNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(SettingsTypedValueNumberTest, GivesNumbersItsKindAllows) {
    const NumberCase& c = GetParam();
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.value.kind(), c.kind);
    if (c.int32)
        EXPECT_EQ(c.value.asInt32(), *c.int32);
    else
        EXPECT_THROW(c.value.asInt32(), ETypedValueError);
    if (c.number)
        EXPECT_DOUBLE_EQ(c.value.asDouble(), *c.number);
    else
        EXPECT_THROW(c.value.asDouble(), ETypedValueError);
}

const NumberCase kNumberCases[] = {
    {"int8", TypedValue::Int8(-8), ValueKind::Int8, -8, -8.0},
    {"int16", TypedValue::Int16(-300), ValueKind::Int16, -300, -300.0},
    {"int32 minimum", TypedValue::Int32(std::numeric_limits<std::int32_t>::min()), ValueKind::Int32,
     std::numeric_limits<std::int32_t>::min(), -2147483648.0},
    {"uint8 maximum", TypedValue::UInt8(255), ValueKind::UInt8, 255, 255.0},
    {"uint16 maximum", TypedValue::UInt16(65535), ValueKind::UInt16, 65535, 65535.0},
    {"uint32 above the int32 range", TypedValue::UInt32(3000000000u), ValueKind::UInt32, std::nullopt, 3e9},
    {"int64 inside the int32 range", TypedValue::Int64(-5), ValueKind::Int64, -5, -5.0},
    {"int64 beyond the int32 range", TypedValue::Int64(1LL << 40), ValueKind::Int64, std::nullopt, 1099511627776.0},
    {"float32 widens exactly", TypedValue::Float32(0.1f), ValueKind::Float32, std::nullopt, double{0.1f}},
    {"float64", TypedValue::Float64(2.5), ValueKind::Float64, std::nullopt, 2.5},
    {"currency scales back", TypedValue::Currency(123456), ValueKind::Currency, std::nullopt, 12.3456},
    {"date-time", TypedValue::DateTime(45000.75), ValueKind::DateTime, std::nullopt, 45000.75},
    {"boolean is no number", TypedValue::Boolean(true), ValueKind::Boolean, std::nullopt, std::nullopt},
    {"string is no number", TypedValue::String("5"), ValueKind::String, std::nullopt, std::nullopt},
    {"null is no number", TypedValue::Null(), ValueKind::Null, std::nullopt, std::nullopt},
    {"empty is no number", TypedValue(), ValueKind::Empty, std::nullopt, std::nullopt},
    {"wide string", TypedValue::WideString(), ValueKind::WideString, std::nullopt, std::nullopt},
    {"object", TypedValue::Object(), ValueKind::Object, std::nullopt, std::nullopt},
    {"array", TypedValue::Array(), ValueKind::Array, std::nullopt, std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Kinds, SettingsTypedValueNumberTest, ::testing::ValuesIn(kNumberCases));

TEST(SettingsTypedValueTest, NarrowAccessorsOnlyServeTheirOwnKind) {
    EXPECT_EQ(TypedValue::String("x").asString(), "x");
    EXPECT_THROW(TypedValue::Int32(1).asString(), ETypedValueError);
    EXPECT_EQ(TypedValue::Currency(-15000).asCurrency(), -15000);
    EXPECT_THROW(TypedValue::Int64(5).asCurrency(), ETypedValueError);
    EXPECT_DOUBLE_EQ(TypedValue::DateTime(1.5).asDateTime(), 1.5);
    EXPECT_THROW(TypedValue::Float64(1.5).asDateTime(), ETypedValueError);
    EXPECT_TRUE(TypedValue::Int32(2).asBoolean());
    EXPECT_FALSE(TypedValue::UInt8(0).asBoolean());
    EXPECT_THROW(TypedValue::String("true").asBoolean(), ETypedValueError);
}

TEST(SettingsTypedValueTest, EqualityTellsKindsApart) {
    EXPECT_EQ(TypedValue::Int32(1), TypedValue::Int32(1));
    EXPECT_NE(TypedValue::Int32(1), TypedValue::UInt8(1));
    EXPECT_NE(TypedValue::Float64(2.0), TypedValue::DateTime(2.0));
    EXPECT_NE(TypedValue::Currency(10000), TypedValue::Int64(10000));
    EXPECT_NE(TypedValue(), TypedValue::Null());
    EXPECT_NE(TypedValue::String(""), TypedValue());
    EXPECT_NE(TypedValue::Boolean(false), TypedValue::Int32(0));
}

}  // namespace
}  // namespace quillcrest
