#include <gtest/gtest.h>

#include <string>

#include "base/ascii_case.h"

namespace quillcrest {
namespace {

struct PairCase {
    const char* name;
    std::string a;
    std::string b;
    bool expected;
};

std::string RowName(const ::testing::TestParamInfo<PairCase>& info) {
    std::string name;
    for (const char c : std::string(info.param.name))
        name += (c == ' ') ? '_' : c;
    return name;
}

class SettingsEqualIgnoringAsciiCaseTest : public ::testing::TestWithParam<PairCase> {};

TEST_P(SettingsEqualIgnoringAsciiCaseTest, ComparesWholeTextsBlindToAsciiCase) {
    const PairCase& c = GetParam();
    SCOPED_TRACE(c.a + " / " + c.b);
    EXPECT_EQ(EqualIgnoringAsciiCase(c.a, c.b), c.expected);
    EXPECT_EQ(EqualIgnoringAsciiCase(c.b, c.a), c.expected);
}

const PairCase kEqualCases[] = {
    {"same text", "None", "None", true},
    {"ASCII letters differ in case", "NoNe", "nOnE", true},
    {"a trailing blank counts", "none", "none ", false},
    {"different lengths", "none", "non", false},
    {"both empty", "", "", true},
    {"neighbours of the letters keep their case", "@[`{", "`{@[", false},
    {"bytes above 127 compare exactly", "\xC4", "\xE4", false},
    {"an embedded NUL counts", std::string("a\0b", 3), std::string("A\0B", 3), true},
    {"an embedded NUL is no end", std::string("a\0b", 3), std::string("a\0c", 3), false},
};

INSTANTIATE_TEST_SUITE_P(Cases, SettingsEqualIgnoringAsciiCaseTest, ::testing::ValuesIn(kEqualCases), RowName);

class SettingsStartsWithIgnoringAsciiCaseTest : public ::testing::TestWithParam<PairCase> {};

TEST_P(SettingsStartsWithIgnoringAsciiCaseTest, ComparesTheTextsBeginning) {
    const PairCase& c = GetParam();
    SCOPED_TRACE(c.a + " / " + c.b);
    EXPECT_EQ(StartsWithIgnoringAsciiCase(c.a, c.b), c.expected);
}

const PairCase kPrefixCases[] = {
    {"prefix in another case", "HTTP://host/", "http://", true},
    {"whole text is the prefix", "Content-Length:", "content-length:", true},
    {"text shorter than the prefix", "http:", "http://", false},
    {"empty prefix", "anything", "", true},
    {"bytes above 127 compare exactly", "\xC4pfel", "\xE4", false},
};

INSTANTIATE_TEST_SUITE_P(Cases, SettingsStartsWithIgnoringAsciiCaseTest, ::testing::ValuesIn(kPrefixCases), RowName);

TEST(SettingsAsciiLowerCaseTest, LowersOnlyAsciiCapitals) {
    EXPECT_EQ(AsciiLowerCase("Chunked AZ@[\xC4"), "chunked az@[\xC4");
    std::string text = "QUILL\xC4";
    LowerAsciiLetters(&text[1], text.size() - 1);
    EXPECT_EQ(text, "Quill\xC4");
}

}  // namespace
}  // namespace quillcrest
