#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "pages/day_count.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using fakes::RowName;

struct CalendarRow {
    const char* name;
    int year, month, day;
    std::optional<double> expected;
};

// Expected counts come from an independent calendar (Python's datetime).
const CalendarRow kCalendarRows[] = {
    {"Epoch", 1899, 12, 30, 0},
    {"Year_2000", 2000, 1, 1, 36526},
    {"Leap_day_of_a_400_year", 2000, 2, 29, 36585},
    {"Leap_day_2024", 2024, 2, 29, 45351},
    {"After_1900_which_was_no_leap_year", 1900, 3, 1, 61},
    {"Last_day_of_9999", 9999, 12, 31, 2958465},
    {"First_day_of_year_1", 1, 1, 1, -693593},
    {"Feb_29_of_1900", 1900, 2, 29, std::nullopt},
    {"Feb_29_of_2023", 2023, 2, 29, std::nullopt},
    {"April_31", 2030, 4, 31, std::nullopt},
    {"Month_13", 2030, 13, 1, std::nullopt},
    {"Month_0", 2030, 0, 1, std::nullopt},
    {"Day_0", 2030, 1, 0, std::nullopt},
    {"Year_0", 0, 1, 1, std::nullopt},
    {"Year_10000", 10000, 1, 1, std::nullopt},
};

class CalendarDayCountTest : public ::testing::TestWithParam<CalendarRow> {};

TEST_P(CalendarDayCountTest, CountsDaysSinceTheEpoch) {
    const CalendarRow& row = GetParam();
    SCOPED_TRACE(std::to_string(row.year) + "-" + std::to_string(row.month) + "-" + std::to_string(row.day));
    EXPECT_EQ(CalendarDayCount(row.year, row.month, row.day), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Dates, CalendarDayCountTest, ::testing::ValuesIn(kCalendarRows), RowName<CalendarRow>);

struct FormatRow {
    const char* name;
    double days;
    char separator;
    const char* expected;
};

const FormatRow kFormatRows[] = {
    {"Zero", 0, '.', "0"},
    {"Whole_day", 46000, ',', "46000"},
    {"Half_day_with_comma", 46000.5, ',', "46000,5"},
    {"Fifteen_significant_digits", 46000.520833333333, '.', "46000.5208333333"},
    {"Fifteen_digits_before_rounding_up", 45999.9999999999999, '.', "46000"},
    {"Negative", -1.25, '.', "-1.25"},
};

class FormatDayCountTest : public ::testing::TestWithParam<FormatRow> {};

TEST_P(FormatDayCountTest, WritesUpToFifteenSignificantDigits) {
    const FormatRow& row = GetParam();
    SCOPED_TRACE(row.expected);
    EXPECT_EQ(FormatDayCount(row.days, row.separator), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Counts, FormatDayCountTest, ::testing::ValuesIn(kFormatRows), RowName<FormatRow>);

struct ParseRow {
    const char* name;
    const char* text;
    char separator;
    std::optional<double> expected;
};

const ParseRow kParseRows[] = {
    {"Zero_default", "0", ',', 0},
    {"Comma_separator", "46000,5", ',', 46000.5},
    {"Point_though_the_user_writes_commas", "46000.5", ',', 46000.5},
    {"Comma_though_the_user_writes_points", "46000,5", '.', std::nullopt},
    {"Negative", "-2.5", '.', -2.5},
    {"Plus_sign", "+3", '.', 3},
    {"Exponent", "4.6E4", '.', 46000},
    {"Leading_separator", ".5", '.', 0.5},
    {"Trailing_separator", "5.", '.', 5},
    {"Empty", "", '.', std::nullopt},
    {"Only_a_sign", "-", '.', std::nullopt},
    {"Only_a_separator", ".", '.', std::nullopt},
    {"Blank_before", " 5", '.', std::nullopt},
    {"Blank_after", "5 ", '.', std::nullopt},
    {"Two_separators", "1.2.3", '.', std::nullopt},
    {"Exponent_without_digits", "5e", '.', std::nullopt},
    {"Infinity_word", "inf", '.', std::nullopt},
    {"Not_a_number_word", "nan", '.', std::nullopt},
    {"Hexadecimal", "0x10", '.', std::nullopt},
    {"Too_large_to_be_finite", "1e400", '.', std::nullopt},
    {"Very_long_text", "1111111111111111111111111111111111111111111111111111111111111111111111", '.', std::nullopt},
    // The length limit is 64 characters: a text of exactly that length is still read.
    {"Text_of_exactly_the_length_limit", "46000.5000000000000000000000000000000000000000000000000000000000", '.',
     46000.5},
    {"One_character_past_the_length_limit", "46000.50000000000000000000000000000000000000000000000000000000000", '.',
     std::nullopt},
};

class ParseDayCountTest : public ::testing::TestWithParam<ParseRow> {};

TEST_P(ParseDayCountTest, ReadsOnlyPlainDecimalNumbers) {
    const ParseRow& row = GetParam();
    SCOPED_TRACE(row.text);
    EXPECT_EQ(ParseDayCount(row.text, row.separator), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseDayCountTest, ::testing::ValuesIn(kParseRows), RowName<ParseRow>);

TEST(DayCountText, WrittenMomentsReadBackToTheMillisecond) {
    for (const char separator : {'.', ','}) {
        for (const double moment : {0.0, 47649.0, 47649.000011574, 47649.999988426, 36526.520833333336}) {
            SCOPED_TRACE(FormatDayCount(moment, separator));
            const std::optional<double> read = ParseDayCount(FormatDayCount(moment, separator), separator);
            ASSERT_TRUE(read.has_value());
            EXPECT_NEAR(*read, moment, 1.0 / kMillisecondsPerDay);
        }
    }
}

}  // namespace
}  // namespace quillcrest
