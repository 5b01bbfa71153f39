#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "resolution/registry_value_text.h"
#include "resolution/unicode_text.h"
#include "settings/registry_api.h"
#include "support/resolution_settings_builder.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

// ---- WTF-8: every UTF-16 text has one form, and turns back into the same units ----

TEST(ResolutionUnicodeTextTest, UnitsRoundTripThroughWtf8IncludingLoneSurrogates) {
    const std::u16string samples[] = {
        u"",
        u"Ethernet 2",
        u"Wi\u2011Fi \u00e4\u00f6",
        u"\U0001F600 pair",
        std::u16string(1, char16_t(0xD800)) + u"lone lead",
        u"lone trail" + std::u16string(1, char16_t(0xDC00)),
        std::u16string{char16_t(0xDC00), char16_t(0xD800)},
        std::u16string(1, u'\0'),
    };
    for (const std::u16string& units : samples) {
        const std::string text = Wtf8FromUtf16(units);
        EXPECT_EQ(Utf16FromWtf8(text), units) << text;
        EXPECT_EQ(UnitsFromLittleEndian(LittleEndianBytes(units)), units) << text;
    }
    EXPECT_EQ(Wtf8FromUtf16(u"\u00e4"), "\xC3\xA4");
    EXPECT_EQ(Wtf8FromUtf16(std::u16string(1, char16_t(0xD800))), "\xED\xA0\x80");
}

TEST(ResolutionUnicodeTextTest, TextsOutsideTheOneFormAreRefused) {
    const std::string refused[] = {
        "\x80",                      // a continuation byte alone
        "\xC3",                      // a sequence cut short
        "\xC0\xAF",                  // an overlong form
        "\xF4\x90\x80\x80",          // above U+10FFFF
        "\xED\xA0\x80\xED\xB0\x80",  // a pair written as two surrogates instead of four bytes
        "\xFF",
    };
    for (const std::string& text : refused)
        EXPECT_FALSE(Utf16FromWtf8(text)) << testing::PrintToString(text);
}

TEST(ResolutionUnicodeTextTest, BigEndianUnitsAreRead) {
    EXPECT_EQ(UnitsFromBigEndian(Bytes("\0a\x20\x11x")), u"a\u2011");
}

// ---- Registry data in its usual forms, and in readable form ----

struct ValueRow {
    const char* name;
    RegistryValue value;
    std::optional<std::string> text;               // StringData
    std::optional<std::vector<std::string>> list;  // MultiStringData
    std::optional<std::uint64_t> number;           // NumberData
    std::string readable;                          // ReadableValue
};

const ValueRow kValueRows[] = {
    {"Text",
     {"", kRegSz,
      Bytes("1\0.\0"
            "2\0\0\0"),
      0},
     "1.2",
     std::nullopt,
     std::nullopt,
     "1.2"},
    {"Empty_text_is_also_an_empty_list",
     {"", kRegSz, Bytes("\0\0"), 0},
     "",
     std::vector<std::string>{},
     std::nullopt,
     ""},
    {"Text_without_its_nul", {"", kRegSz, Bytes("a\0b\0"), 0}, std::nullopt, std::nullopt, std::nullopt, "ab"},
    {"Text_with_a_nul_inside",
     {"", kRegExpandSz, Bytes("a\0\0\0b\0\0\0"), 0},
     std::nullopt,
     std::nullopt,
     std::nullopt,
     "a"},
    {"Text_of_odd_length", {"", kRegSz, Bytes("a\0\0\0x"), 0}, std::nullopt, std::nullopt, std::nullopt, "a"},
    {"List",
     {"", kRegMultiSz, Bytes(".\0\0\0c\0\0\0\0\0"), 0},
     std::nullopt,
     std::vector<std::string>{".", "c"},
     std::nullopt,
     ".; c"},
    {"Empty_list", {"", kRegMultiSz, Bytes("\0\0"), 0}, "", std::vector<std::string>{}, std::nullopt, ""},
    {"List_with_an_empty_string_inside",
     {"", kRegMultiSz, Bytes("a\0\0\0\0\0b\0\0\0\0\0"), 0},
     std::nullopt,
     std::nullopt,
     std::nullopt,
     "a; b"},
    {"List_without_its_last_nul_reads_as_a_text",
     {"", kRegMultiSz, Bytes("a\0\0\0"), 0},
     "a",
     std::nullopt,
     std::nullopt,
     "a"},
    {"Dword_whose_bytes_are_also_a_text", {"", kRegDword, Bytes("\x03\0\0\0"), 0}, "\x03", std::nullopt, 3, "3"},
    {"Dword_of_two_bytes",
     {"", kRegDword, Bytes("\x03\0"), 0},
     std::nullopt,
     std::nullopt,
     std::nullopt,
     "REG_DWORD 0300 (2 bytes)"},
    {"Qword", {"", kRegQword, Bytes("\0\0\0\0\x01\0\0\0"), 0}, std::nullopt, std::nullopt, 4294967296u, "4294967296"},
    {"Binary",
     {"", kRegBinary, Bytes("\x01\xAB"), 0},
     std::nullopt,
     std::nullopt,
     std::nullopt,
     "REG_BINARY 01ab (2 bytes)"},
    {"Long_binary_shows_its_start",
     {"", kRegBinary, std::string(20, '\x11'), 0},
     std::nullopt,
     std::nullopt,
     std::nullopt,
     "REG_BINARY 11111111111111111111111111111111... (20 bytes)"},
    {"Unnamed_type", {"", 0x1234, "", 0}, std::nullopt, std::nullopt, std::nullopt, "4660 (0 bytes)"},
    {"Oversize",
     {"", kRegSz, "", 2000000},
     std::nullopt,
     std::nullopt,
     std::nullopt,
     "REG_SZ of 2000000 bytes, too long to show"},
};

// Failures name the row rather than dump its bytes.
void PrintTo(const ValueRow& row, std::ostream* out) {
    *out << row.name;
}

class ResolutionValueTextTest : public ::testing::TestWithParam<ValueRow> {};

TEST_P(ResolutionValueTextTest, ReadsTheUsualFormsOnlyAndShowsEveryValue) {
    const ValueRow& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(StringData(row.value.data), row.text);
    EXPECT_EQ(MultiStringData(row.value.data), row.list);
    EXPECT_EQ(NumberData(row.value.type, row.value.data), row.number);
    EXPECT_EQ(ReadableValue(row.value), row.readable);
    // A usual form turns back into the very same bytes.
    if (row.text) {
        EXPECT_EQ(StringDataOf(*row.text), row.value.data);
    }
    if (row.list && row.value.type == kRegMultiSz) {
        EXPECT_EQ(MultiStringDataOf(*row.list), row.value.data);
    }
    if (row.number) {
        EXPECT_EQ(NumberDataOf(row.value.type, *row.number), row.value.data);
    }
}

INSTANTIATE_TEST_SUITE_P(Values, ResolutionValueTextTest, ::testing::ValuesIn(kValueRows), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

TEST(ResolutionValueTextTest, DataOfTextsThatHaveNoUsualFormIsRefused) {
    EXPECT_FALSE(StringDataOf(Bytes("a\0b")));
    EXPECT_FALSE(StringDataOf("\xFF"));
    EXPECT_FALSE(MultiStringDataOf({"a", ""}));
    EXPECT_FALSE(MultiStringDataOf({"\xC3"}));
}

TEST(ResolutionValueTextTest, TypeNamesAndNumbersReadBack) {
    for (std::uint32_t type : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 11u, 12u, 0xFFFFFFFFu})
        EXPECT_EQ(RegistryTypeFromName(RegistryTypeName(type)), type) << type;
    EXPECT_EQ(RegistryTypeName(kRegMultiSz), "REG_MULTI_SZ");
    // A named type has one form only; other texts are no type.
    for (const char* text : {"7", "012", "", "reg_sz", "4294967296", "-1"})
        EXPECT_FALSE(RegistryTypeFromName(text)) << text;
}

TEST(ResolutionValueTextTest, ServerListsSplitAtBlanksCommasAndSemicolons) {
    const std::vector<std::string> expected{"10.0.0.1", "10.0.0.2", "fd00::53"};
    EXPECT_EQ(ServerListOf({"", kRegSz, fakes::SzData(" 10.0.0.1, 10.0.0.2;fd00::53 "), 0}), expected);
    EXPECT_EQ(ServerListOf({"", kRegMultiSz, fakes::MultiSzData({"10.0.0.1 10.0.0.2", "fd00::53"}), 0}), expected);
    EXPECT_TRUE(ServerListOf({"", kRegDword, fakes::DwordData(1), 0}).empty());
}

}  // namespace
}  // namespace quillcrest
