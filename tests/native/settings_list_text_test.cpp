#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "settings/list_text.h"

namespace quillcrest {
namespace {

using Entries = std::vector<std::string>;

struct CommaCase {
    const char* name;
    Entries entries;
    std::string text;
};

class SettingsCommaTextTest : public ::testing::TestWithParam<CommaCase> {};

TEST_P(SettingsCommaTextTest, WritesEntriesAndReadsThemBack) {
    const CommaCase& c = GetParam();
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CommaText(c.entries), c.text);
    EXPECT_EQ(SplitList(c.text), c.entries);
}

const CommaCase kCommaCases[] = {
    {"no entries", {}, ""},
    {"plain addresses stay bare", {"208.67.222.222", "208.67.220.220"}, "208.67.222.222,208.67.220.220"},
    {"entry with a blank", {"a b", "c"}, "\"a b\",c"},
    {"entry with a comma", {"a,b"}, "\"a,b\""},
    {"inner quote doubled", {"say \"hi\""}, "\"say \"\"hi\"\"\""},
    {"quote alone", {"\""}, "\"\"\"\""},
    {"entry with a tab", {"a\tb"}, "\"a\tb\""},
    {"entry with a leading blank", {" a"}, "\" a\""},
    {"empty entry at the end", {"a", ""}, "a,"},
    {"empty entry at the front", {"", "a"}, ",a"},
    {"two empty entries", {"", ""}, ","},
    {"bytes above 127 are no blanks", {"\xE9t\xE9"}, "\xE9t\xE9"},
    {"NUL byte counts as a control character", {std::string("a\0b", 3)}, std::string("\"a\0b\"", 5)},
};

INSTANTIATE_TEST_SUITE_P(Cases, SettingsCommaTextTest, ::testing::ValuesIn(kCommaCases));

struct SplitCase {
    const char* name;
    std::string text;
    Entries entries;
};

class SettingsSplitListTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SettingsSplitListTest, CutsTextIntoEntries) {
    const SplitCase& c = GetParam();
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SplitList(c.text), c.entries);
}

const SplitCase kSplitCases[] = {
    {"empty text", "", {}},
    {"blanks only", "  \t ", {}},
    {"leading blanks skipped", "  a,b", {"a", "b"}},
    {"blanks cut like commas", "a b\tc", {"a", "b", "c"}},
    {"comma amid blanks is one cut", "a , b", {"a", "b"}},
    {"run of control characters is one cut", "a\r\n\r\nb", {"a", "b"}},
    {"comma at the very end adds an empty entry", "a,b,", {"a", "b", ""}},
    {"comma then blanks at the end adds nothing", "a, ", {"a"}},
    {"double comma gives an empty entry", "a,,b", {"a", "", "b"}},
    {"quoted entry keeps blanks and commas", "\"a, b\",c", {"a, b", "c"}},
    {"doubled quote inside becomes one", "\"a\"\"b\"", {"a\"b"}},
    {"unclosed quote takes the rest", "\"a,b", {"a,b"}},
    {"text right after a closing quote starts a new entry", "\"a\"b", {"a", "b"}},
    {"quote inside a bare entry is kept", "a\"b", {"a\"b"}},
    {"empty quoted entry", "\"\",a", {"", "a"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, SettingsSplitListTest, ::testing::ValuesIn(kSplitCases));

// Entries built from the characters that matter to the quoting rule, so every combination of blanks, commas,
// quotes, control characters, high bytes and empty entries goes through the round trip.
// One empty server is no server: stored as the empty text, it reads back as no entries.
TEST(SettingsCommaTextEmptyTest, LoneEmptyEntryJoinsToTheEmptyText) {
    EXPECT_EQ(CommaText({""}), "");
    EXPECT_TRUE(SplitList(CommaText({""})).empty());
    // A quoted empty entry written by hand still reads as one entry.
    EXPECT_EQ(SplitList("\"\""), Entries{""});
}

TEST(SettingsListTextRoundTripTest, SplitListGivesBackEveryCommaText) {
    const std::string alphabet = std::string("a9 ,\"\t\x01\x7f\xe9", 9) + std::string(1, '\0');
    std::mt19937 random(20240611u);
    for (int round = 0; round < 2000; ++round) {
        Entries entries(random() % 5);
        for (std::string& entry : entries) {
            const std::size_t length = random() % 5;
            for (std::size_t i = 0; i < length; ++i)
                entry += alphabet[random() % alphabet.size()];
        }
        if (entries == Entries{""})
            continue;  // the one list that joins to the empty text on purpose
        const std::string text = CommaText(entries);
        SCOPED_TRACE(::testing::PrintToString(text));
        ASSERT_EQ(SplitList(text), entries);
    }
}

}  // namespace
}  // namespace quillcrest
