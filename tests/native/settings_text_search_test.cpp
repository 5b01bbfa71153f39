#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "settings/text_search.h"

namespace quillcrest {
namespace {

struct SearchCase {
    const char* name;
    std::string text;
    std::string pattern;
    int start;
    int expected;
};

class SettingsSearchTextTest : public ::testing::TestWithParam<SearchCase> {};

TEST_P(SettingsSearchTextTest, FindsFirstMatchFromStart) {
    const SearchCase& c = GetParam();
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SearchText(c.text, c.pattern, c.start), c.expected);
}

const SearchCase kSearchCases[] = {
    {"case-blind search finds a mixed-case word", "MyOpenDNSBox", "opendns", -1, 3},
    {"case-significant search misses it", "MyOpenDNSBox", "opendns", 1, 0},
    {"wildcard stands for one character", "abc", "a?c", 1, 1},
    {"lone wildcard at the last position", "abc", "?", 3, 3},
    {"pattern longer than the text", "abc", "abcd", 1, 0},
    {"negative start beyond the text", "abc", "a", -4, 0},
    {"positive start beyond the text", "abc", "c", 4, 0},
    {"start 0 never searches", "abc", "a", 0, 0},
    {"empty text", "", "a", 1, 0},
    {"empty pattern", "abc", "", 1, 0},
    {"match before start is skipped", "abab", "ab", 2, 3},
    {"pattern does not fit after start", "abcd", "bcd", 3, 0},
    {"pattern fits exactly at the end", "abcd", "cd", 3, 3},
    {"wildcard is no literal question mark", "a?c", "?", 1, 1},
    {"wildcard runs past no end", "ab", "b?", 1, 0},
    {"case-blind maps only ASCII letters", "A[b", "a{B", -1, 0},
    {"bytes above 127 match only themselves", "\xC4\xE4", "\xE4", -1, 2},
    {"case-blind also finds exact case", "xAbC", "AbC", -1, 2},
    {"most negative start is out of range", "abc", "a", INT_MIN, 0},
};

INSTANTIATE_TEST_SUITE_P(Cases, SettingsSearchTextTest, ::testing::ValuesIn(kSearchCases));

class SettingsPosFromTest : public ::testing::TestWithParam<SearchCase> {};

TEST_P(SettingsPosFromTest, FindsExactTextFromStart) {
    const SearchCase& c = GetParam();
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PosFrom(c.text, c.pattern, c.start), c.expected);
}

const SearchCase kPosFromCases[] = {
    {"second server of a list", "208.67.222.222,208.67.220.220", "208.67.220.220", 1, 16},
    {"prefix at the start", "192.168.1.1", "192.", 1, 1},
    {"prefix absent", "10.0.0.1", "192.", 1, 0},
    {"start 0", "192.168.1.1", "192.", 0, 0},
    {"negative start", "192.168.1.1", "192.", -1, 0},
    {"start past the end", "abc", "c", 4, 0},
    {"empty text", "", "a", 1, 0},
    {"empty sought text", "abc", "", 1, 0},
    {"letter case significant", "ABC", "b", 1, 0},
    {"question mark is literal", "abc", "?", 1, 0},
    {"first character repeats before the match", "aaab", "aab", 1, 2},
    {"last character differs", "abcabd", "abd", 1, 4},
    {"match ending on the last character", "xxab", "ab", 2, 3},
    {"sought does not fit after start", "abcd", "bcd", 3, 0},
    {"occurrence before start is skipped", "abab", "ab", 2, 3},
    {"embedded NUL bytes compare as bytes", std::string("a\0b\0c", 5), std::string("b\0c", 3), 1, 3},
};

INSTANTIATE_TEST_SUITE_P(Cases, SettingsPosFromTest, ::testing::ValuesIn(kPosFromCases));

class SettingsFindDelimiterTest : public ::testing::TestWithParam<SearchCase> {};

TEST_P(SettingsFindDelimiterTest, FindsFirstDelimiterOutsideQuotes) {
    const SearchCase& c = GetParam();
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FindDelimiter(c.text, c.pattern, c.start), c.expected);
}

const SearchCase kDelimiterCases[] = {
    {"case-blind delimiter", "aXb", "x", -1, 2},
    {"case-significant delimiter", "aXb", "x", 1, 0},
    {"any of several delimiters", "ab,c;d", ";,", 1, 3},
    {"delimiter inside quotes skipped", "\"a;b\";c", ";", 1, 6},
    {"unclosed quote hides the rest", "\"a;b", ";", 1, 0},
    {"closing quote found when it is a delimiter", "\"ab\"c", "\"", 1, 4},
    {"opening quote never found", "x\"ab", "\"", 1, 0},
    {"quote state counts from start", "\"a;b\";c", ";", 3, 3},
    {"start inside quotes sees the closing one as opening", "\"a\";b\";c", ";", 3, 7},
    {"delimiter at start", ";a", ";", 1, 1},
    {"start 0", "a;b", ";", 0, 0},
    {"start beyond the text", "a;b", ";", 4, 0},
    {"negative start beyond the text", "a;b", ";", -4, 0},
    {"empty text", "", ";", 1, 0},
    {"empty delimiter text", "a;b", "", 1, 0},
    {"256 delimiter characters are allowed", "ab;", std::string(255, 'z') + ";", 1, 3},
    {"more than 256 delimiter characters", "ab;", std::string(256, 'z') + ";", 1, 0},
    {"high byte as delimiter", "ab\xFF", "\xFF", 1, 3},
    {"high byte has no case partner", "ab\xDF", "\xFF", -1, 0},
    {"NUL byte as delimiter", std::string("ab\0c", 4), std::string("\0", 1), 1, 3},
};

INSTANTIATE_TEST_SUITE_P(Cases, SettingsFindDelimiterTest, ::testing::ValuesIn(kDelimiterCases));

struct FieldWalk {
    const char* name;
    std::string text;
    std::string delimiters;
    int start;
    // Each call's field and the position after it; the walk must end with the position at 0.
    std::vector<std::pair<std::string, int>> steps;
};

class SettingsNextFieldTest : public ::testing::TestWithParam<FieldWalk> {};

TEST_P(SettingsNextFieldTest, WalksFieldsInOrder) {
    const FieldWalk& w = GetParam();
    SCOPED_TRACE(w.name);
    int pos = w.start;
    for (std::size_t i = 0; i < w.steps.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i + 1));
        EXPECT_EQ(NextField(w.text, w.delimiters, pos), w.steps[i].first);
        EXPECT_EQ(pos, w.steps[i].second);
    }
    // Once exhausted, the walk stays exhausted.
    EXPECT_EQ(NextField(w.text, w.delimiters, pos), "");
    EXPECT_EQ(pos, 0);
}

const FieldWalk kFieldWalks[] = {
    {"empty field between delimiters", "a;b;;c", ";", 1, {{"a", 3}, {"b", 5}, {"", 6}, {"c", 0}}},
    {"trailing delimiter", "x;", ";", 1, {{"x", 3}, {"", 0}}},
    {"quoted field keeps its quotes", "\"a;b\";c", ";", 1, {{"\"a;b\"", 7}, {"c", 0}}},
    {"empty delimiter text", "a;b", "", 1, {{"", 0}}},
    {"empty text", "", ";", 1, {{"", 0}}},
    {"start 0", "a;b", ";", 0, {{"", 0}}},
    {"negative start is no case-blind walk", "aXb", "x", -1, {{"", 0}}},
    {"start past the end", "a;b", ";", 4, {{"", 0}}},
    {"start in the middle", "ab;cd", ";", 2, {{"b", 4}, {"cd", 0}}},
    {"leading delimiter", ";a", ";", 1, {{"", 2}, {"a", 0}}},
    {"several delimiters", "1;2,3", ";,", 1, {{"1", 3}, {"2", 5}, {"3", 0}}},
    {"lookup reply fields",
     "208.67.222.222;resolver1.opendns.com;US",
     ";",
     1,
     {{"208.67.222.222", 16}, {"resolver1.opendns.com", 38}, {"US", 0}}},
};

INSTANTIATE_TEST_SUITE_P(Walks, SettingsNextFieldTest, ::testing::ValuesIn(kFieldWalks));

}  // namespace
}  // namespace quillcrest
