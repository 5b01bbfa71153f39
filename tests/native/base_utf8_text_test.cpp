#include <gtest/gtest.h>

#include <string>

#include "base/utf8_text.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

struct RoundTripCase {
    const char* name;
    std::u16string utf16;
    std::string utf8;
};

void PrintTo(const RoundTripCase& row, std::ostream* out) {
    *out << row.name;
}

class Utf8RoundTripTest : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(Utf8RoundTripTest, EachFormGivesTheOtherExactly) {
    const RoundTripCase& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Utf8FromUtf16(row.utf16), row.utf8);
    EXPECT_EQ(Utf16FromUtf8(row.utf8), row.utf16);
}

const RoundTripCase kRoundTripCases[] = {
    {"ascii path", u"C:\\Apps\\Quillcrest.exe", "C:\\Apps\\Quillcrest.exe"},
    {"empty", u"", ""},
    {"embedded nul", std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
    {"greek letters take two bytes", u"\x03A9\x03BC", "\xCE\xA9\xCE\xBC"},
    {"cjk letters take three bytes", u"\x65E5\x672C", "\xE6\x97\xA5\xE6\x9C\xAC"},
    // The ANSI command line would read these as "1" and "/".
    {"fullwidth digit stays non ascii", u"\xFF11", "\xEF\xBC\x91"},
    {"fullwidth solidus stays non ascii", u"\xFF0F", "\xEF\xBC\x8F"},
    {"surrogate pair is one four byte character", u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
    // Windows allows these in file names; strict UTF-8 would turn them into U+FFFD and lose the name.
    {"lone high surrogate",
     u"a\xD800"
     u"b",
     "a\xED\xA0\x80"
     "b"},
    {"lone low surrogate at the end", u"a\xDC00", "a\xED\xB0\x80"},
    {"low before high is two lone units", u"\xDC00\xD800", "\xED\xB0\x80\xED\xA0\x80"},
};

INSTANTIATE_TEST_SUITE_P(Table, Utf8RoundTripTest, ::testing::ValuesIn(kRoundTripCases), fakes::RowName<RoundTripCase>);

struct MalformedCase {
    const char* name;
    std::string utf8;
    std::u16string utf16;
};

void PrintTo(const MalformedCase& row, std::ostream* out) {
    *out << row.name;
}

class Utf8MalformedTest : public ::testing::TestWithParam<MalformedCase> {};

// Each byte that starts no sequence becomes U+FFFD on its own: no malformed form can pass for an ASCII character.
TEST_P(Utf8MalformedTest, BytesOfNoSequenceBecomeReplacementCharacters) {
    const MalformedCase& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Utf16FromUtf8(row.utf8), row.utf16);
}

const MalformedCase kMalformedCases[] = {
    {"lone continuation byte",
     "a\x80"
     "b",
     u"a\xFFFD"
     u"b"},
    {"overlong solidus in two bytes", "\xC0\xAF", u"\xFFFD\xFFFD"},
    {"overlong solidus in three bytes", "\xE0\x80\xAF", u"\xFFFD\xFFFD\xFFFD"},
    {"sequence cut short at the end", "\xE6\x97", u"\xFFFD\xFFFD"},
    {"sequence cut short by an ascii byte",
     "\xE6"
     "1",
     u"\xFFFD"
     u"1"},
    {"beyond the last code point", "\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"},
    {"lead byte that never starts a sequence", "\xF5\xFF", u"\xFFFD\xFFFD"},
};

INSTANTIATE_TEST_SUITE_P(Table, Utf8MalformedTest, ::testing::ValuesIn(kMalformedCases), fakes::RowName<MalformedCase>);

}  // namespace
}  // namespace quillcrest
