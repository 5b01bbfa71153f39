#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "base/win_handles_win.h"
#include "netconfig/adapter_guid.h"
#include "netconfig/wmi_error.h"
#include "netconfig/wmi_query_win.h"
#include "netconfig/wmi_variant_win.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

constexpr const char* kAllAdapters = "Select * from Win32_NetworkAdapterConfiguration";

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EWmiError& error) {
        return error.what();
    }
    return "<no EWmiError>";
}

// Against WMI itself: Wine serves root\cimv2 with real Win32_NetworkAdapterConfiguration rows.
class WbemQueryTest : public ::testing::Test {
  protected:
    std::vector<std::string> settingIds() {
        std::vector<std::string> ids;
        for (query_.first(); !query_.eof(); query_.next())
            ids.push_back(query_.fieldByName("SettingID").asText());
        return ids;
    }

    WmiConnection connection_;
    WbemQuery query_{&connection_};
};

TEST_F(WbemQueryTest, AdapterRowsReadByCimType) {
    query_.setWql(kAllAdapters);
    query_.open();
    query_.first();
    int rows = 0;
    for (; !query_.eof(); query_.next(), ++rows) {
        const WmiValue id = query_.fieldByName("SettingID");
        SCOPED_TRACE(id.asText());
        EXPECT_EQ(id.kind(), WmiValue::Kind::Text);
        EXPECT_TRUE(std::regex_match(id.asText(), std::regex(R"(\{[0-9A-Fa-f-]{36}\})")));
        EXPECT_EQ(query_.fieldByName("Index").kind(), WmiValue::Kind::Integer);
        EXPECT_TRUE(std::regex_match(query_.fieldByName("Index").asText(), std::regex("[0-9]+")));
        const WmiValue metric = query_.fieldByName("IPConnectionMetric");
        EXPECT_TRUE(metric.isNull() || metric.kind() == WmiValue::Kind::Integer);
        EXPECT_EQ(query_.fieldByName("DHCPEnabled").kind(), WmiValue::Kind::Boolean);
        const WmiValue servers = query_.fieldByName("DNSServerSearchOrder");
        ASSERT_TRUE(servers.isNull() || servers.isArray());
        if (servers.isArray()) {
            for (const WmiValue& server : servers.items())
                EXPECT_EQ(server.kind(), WmiValue::Kind::Text);
        }
    }
    EXPECT_GT(rows, 0);
    query_.close();
    EXPECT_TRUE(connection_.connected());
}

TEST_F(WbemQueryTest, MissingPropertyIsStrictOrLenient) {
    query_.setWql(kAllAdapters);
    query_.open();
    ASSERT_FALSE(query_.eof());
    EXPECT_EQ(ErrorOf([&] { query_.fieldByName("NoSuchProperty"); }), "Property not found: NoSuchProperty");
    EXPECT_TRUE(query_.findField("NoSuchProperty").isNone());
    EXPECT_EQ(query_.findField("SettingID").asText(), query_.fieldByName("SettingID").asText());
    EXPECT_FALSE(query_.findField("SettingID").isNone());
}

// The fake query in the portable tests matches names the same way; this is the behaviour it copies.
TEST_F(WbemQueryTest, PropertyNamesMatchInAnyLetterCase) {
    query_.setWql(kAllAdapters);
    query_.open();
    ASSERT_FALSE(query_.eof());
    const std::string id = query_.fieldByName("SettingID").asText();
    for (const char* spelling : {"settingid", "SETTINGID", "settingId"}) {
        SCOPED_TRACE(spelling);
        EXPECT_EQ(query_.fieldByName(spelling).asText(), id);
        EXPECT_EQ(query_.findField(spelling).asText(), id);
    }
}

TEST_F(WbemQueryTest, OpenNeedsTextAndConnection) {
    for (const char* blank : {"", "   ", "\t\r\n"}) {
        query_.setWql(blank);
        EXPECT_EQ(ErrorOf([&] { query_.open(); }), "WQL is not defined");
        EXPECT_TRUE(query_.eof());
    }
    WbemQuery unconnected(nullptr);
    unconnected.setWql(kAllAdapters);
    EXPECT_EQ(ErrorOf([&] { unconnected.open(); }), "Connection is not defined");
    unconnected.setWql("");
    EXPECT_EQ(ErrorOf([&] { unconnected.open(); }), "WQL is not defined");
}

TEST_F(WbemQueryTest, BadQueryRaisesCodedMessage) {
    for (const char* bad : {"SELECT bogus FROM", "this is not WQL"}) {
        SCOPED_TRACE(bad);
        query_.setWql(bad);
        const std::string message = ErrorOf([&] { query_.open(); });
        EXPECT_TRUE(std::regex_match(message, std::regex("[0-9A-F]{8}: .+"))) << message;
        EXPECT_TRUE(query_.eof());
    }
}

TEST_F(WbemQueryTest, PropertyWithoutValueFormFailsWhenRead) {
    // Architecture is a uint16; the row itself opens fine, and only the read fails.
    query_.setWql("SELECT Architecture,Name FROM Win32_Processor");
    query_.open();
    ASSERT_FALSE(query_.eof());
    EXPECT_EQ(ErrorOf([&] { query_.fieldByName("Architecture"); }), "Unsupported CIM data type: 18");
    EXPECT_EQ(ErrorOf([&] { query_.findField("Architecture"); }), "Unsupported CIM data type: 18");
    EXPECT_NO_THROW(query_.fieldByName("Name"));
}

TEST_F(WbemQueryTest, FirstStandsOnTheFirstRowAgain) {
    query_.setWql(kAllAdapters);
    query_.open();
    const std::vector<std::string> firstWalk = settingIds();
    ASSERT_FALSE(firstWalk.empty());
    EXPECT_TRUE(query_.eof());
    EXPECT_EQ(settingIds(), firstWalk);
    query_.first();
    EXPECT_EQ(query_.fieldByName("SettingID").asText(), firstWalk.front());
}

TEST_F(WbemQueryTest, ClosedQueryHasNoRows) {
    query_.setWql(kAllAdapters);
    query_.open();
    ASSERT_FALSE(query_.eof());
    query_.close();
    EXPECT_TRUE(query_.eof());
    EXPECT_THROW(query_.fieldByName("SettingID"), EWmiError);
    EXPECT_THROW(query_.next(), EWmiError);
    EXPECT_NO_THROW(query_.close());

    query_.open();
    ASSERT_FALSE(query_.eof());
    query_.setWql(kAllAdapters);  // a new text closes the old result
    EXPECT_TRUE(query_.eof());
}

TEST_F(WbemQueryTest, GetAdaptorGuidNamesOneOfTheAdapters) {
    query_.setWql(kAllAdapters);
    query_.open();
    std::set<std::string> withMetric;
    for (; !query_.eof(); query_.next()) {
        if (!query_.fieldByName("IPConnectionMetric").isNull())
            withMetric.insert(query_.fieldByName("SettingID").asText());
    }
    query_.close();

    const std::string chosen = GetAdaptorGUID(query_);
    if (withMetric.empty())
        EXPECT_EQ(chosen, "");
    else
        EXPECT_EQ(withMetric.count(chosen), 1u) << chosen;
    EXPECT_TRUE(query_.eof());  // closed again
}

// The conversion of property values by CIM type, with values WMI itself cannot be made to produce.
struct VariantCase {
    const char* name;
    CIMTYPE type;
    std::function<void(VARIANT&)> fill;
    const char* expectedText;   // asText of the result (arrays: items joined by "|"); nullptr: raises
    const char* expectedError;  // when it raises
    WmiValue::Kind kind;
};

void PrintTo(const VariantCase& row, std::ostream* out) {
    *out << row.name;
}

void FillNull(VARIANT& v) {
    v.vt = VT_NULL;
}

SAFEARRAY* MakeArray(VARTYPE type, LONG lower, std::size_t count) {
    SAFEARRAYBOUND bound = {static_cast<ULONG>(count), lower};
    return SafeArrayCreate(type, 1, &bound);
}

void FillStringArray(VARIANT& v, LONG lower, const std::vector<const wchar_t*>& texts) {
    v.vt = VT_ARRAY | VT_BSTR;
    v.parray = MakeArray(VT_BSTR, lower, texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        LONG index = lower + static_cast<LONG>(i);
        const UniqueBstr text(SysAllocString(texts[i]));
        SafeArrayPutElement(v.parray, &index, text.get());
    }
}

void FillIntArray(VARIANT& v, const std::vector<LONG>& numbers) {
    v.vt = VT_ARRAY | VT_I4;
    v.parray = MakeArray(VT_I4, 0, numbers.size());
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        LONG index = static_cast<LONG>(i);
        LONG number = numbers[i];
        SafeArrayPutElement(v.parray, &index, &number);
    }
}

std::string Rendered(const WmiValue& value) {
    if (!value.isArray())
        return value.asText();
    std::string out;
    for (std::size_t i = 0; i < value.itemCount(); ++i)
        out += (i ? "|" : "") + value.item(i).asText();
    return out;
}

class WmiVariantTest : public ::testing::TestWithParam<VariantCase> {};

TEST_P(WmiVariantTest, ConvertsByCimType) {
    const VariantCase& row = GetParam();
    SCOPED_TRACE(row.name);
    UniqueVariant value;
    row.fill(*value.put());
    if (row.expectedText == nullptr) {
        EXPECT_EQ(ErrorOf([&] { WmiValueFromVariant(value.get(), row.type); }), row.expectedError);
        return;
    }
    const WmiValue converted = WmiValueFromVariant(value.get(), row.type);
    EXPECT_EQ(converted.kind(), row.kind);
    EXPECT_EQ(Rendered(converted), row.expectedText);
}

const VariantCase kVariantCases[] = {
    {"string", CIM_STRING,
     [](VARIANT& v) {
         v.vt = VT_BSTR;
         v.bstrVal = SysAllocString(L"{00000002-0000-0000-0000-000000000000}");
     },
     "{00000002-0000-0000-0000-000000000000}", nullptr, WmiValue::Kind::Text},
    {"null string reads empty", CIM_STRING, FillNull, "", nullptr, WmiValue::Kind::Null},
    {"uint32 above the signed range", CIM_UINT32,
     [](VARIANT& v) {
         v.vt = VT_I4;
         v.lVal = -1;
     },
     "4294967295", nullptr, WmiValue::Kind::Integer},
    {"sint32 stays signed", CIM_SINT32,
     [](VARIANT& v) {
         v.vt = VT_I4;
         v.lVal = -5;
     },
     "-5", nullptr, WmiValue::Kind::Integer},
    {"null uint32 reads empty", CIM_UINT32, FillNull, "", nullptr, WmiValue::Kind::Null},
    {"boolean", CIM_BOOLEAN,
     [](VARIANT& v) {
         v.vt = VT_BOOL;
         v.boolVal = VARIANT_TRUE;
     },
     "True", nullptr, WmiValue::Kind::Boolean},
    {"null boolean", CIM_BOOLEAN, FillNull, "", nullptr, WmiValue::Kind::Null},
    {"string array indexed from 0 whatever its lower bound", CIM_STRING | CIM_FLAG_ARRAY,
     [](VARIANT& v) {
         FillStringArray(v, 1, {L"10.0.0.1", L"10.0.0.2", L"10.0.0.3"});
     },
     "10.0.0.1|10.0.0.2|10.0.0.3", nullptr, WmiValue::Kind::Array},
    {"empty array", CIM_STRING | CIM_FLAG_ARRAY, [](VARIANT& v) { FillStringArray(v, 0, {}); }, "", nullptr,
     WmiValue::Kind::Array},
    {"null array stays null", CIM_STRING | CIM_FLAG_ARRAY, FillNull, "", nullptr, WmiValue::Kind::Null},
    {"uint32 array elements unsigned", CIM_UINT32 | CIM_FLAG_ARRAY,
     [](VARIANT& v) {
         FillIntArray(v, {1, -1});
     },
     "1|4294967295", nullptr, WmiValue::Kind::Array},
    {"uint16 array is still an array", CIM_UINT16 | CIM_FLAG_ARRAY,
     [](VARIANT& v) {
         FillIntArray(v, {20, -1});
     },
     "20|65535", nullptr, WmiValue::Kind::Array},
    {"uint8 scalar", CIM_UINT8,
     [](VARIANT& v) {
         v.vt = VT_UI1;
         v.bVal = 3;
     },
     nullptr, "Unsupported CIM data type: 17", WmiValue::Kind::None},
    {"uint16 scalar even when null", CIM_UINT16, FillNull, nullptr, "Unsupported CIM data type: 18",
     WmiValue::Kind::None},
    {"uint64 scalar", CIM_UINT64,
     [](VARIANT& v) {
         v.vt = VT_BSTR;
         v.bstrVal = SysAllocString(L"18446744073709551615");
     },
     nullptr, "Unsupported CIM data type: 21", WmiValue::Kind::None},
    {"datetime", CIM_DATETIME,
     [](VARIANT& v) {
         v.vt = VT_BSTR;
         v.bstrVal = SysAllocString(L"20240101000000.000000+000");
     },
     nullptr, "Unsupported CIM data type: 101", WmiValue::Kind::None},
    {"real64 array elements", CIM_REAL64 | CIM_FLAG_ARRAY,
     [](VARIANT& v) {
         v.vt = VT_ARRAY | VT_R8;
         v.parray = MakeArray(VT_R8, 0, 1);
     },
     nullptr, "Unsupported CIM data type: 5", WmiValue::Kind::None},
};

INSTANTIATE_TEST_SUITE_P(Table, WmiVariantTest, ::testing::ValuesIn(kVariantCases), fakes::RowName<VariantCase>);

}  // namespace
}  // namespace quillcrest
