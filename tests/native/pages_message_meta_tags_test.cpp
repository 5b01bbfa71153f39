#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "pages/day_count.h"
#include "pages/message_meta_tags.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using fakes::RowName;

double At(int year, int month, int day, int hours = 0, int minutes = 0, int seconds = 0) {
    return *CalendarDayCount(year, month, day) + *TimeOfDayFraction(hours, minutes, seconds);
}

struct ValidToRow {
    const char* name;
    const char* content;
    double expected;
};

const ValidToRow kValidToRows[] = {
    {"Date_and_full_time", "2030-06-15 12:30:45", At(2030, 6, 15, 12, 30, 45)},
    {"Date_only_is_expired", "2030-06-15", 0},
    {"Unreadable_time_is_midnight", "2030-06-15 noon", At(2030, 6, 15)},
    {"Blank_and_no_time_is_midnight", "2030-06-15 ", At(2030, 6, 15)},
    {"Points_between_time_parts", "2030-06-15 12.30", At(2030, 6, 15, 12, 30)},
    {"Separator_at_the_end_of_the_time", "2030-06-15 12:30:", At(2030, 6, 15, 12, 30)},
    {"Point_at_the_end_of_the_time", "2030-06-15 12.30.", At(2030, 6, 15, 12, 30)},
    {"Hours_only", "2030-06-15 9", At(2030, 6, 15, 9)},
    {"Blanks_around_the_time", "2030-06-15    10:05  ", At(2030, 6, 15, 10, 5)},
    {"Single_digit_month_and_day", "2030-6-5 10:00", At(2030, 6, 5, 10)},
    {"Hour_24_is_midnight", "2030-06-15 24:00", At(2030, 6, 15)},
    {"Minute_60_is_midnight", "2030-06-15 10:60", At(2030, 6, 15)},
    {"Four_time_parts_is_midnight", "2030-06-15 12:30:45:10", At(2030, 6, 15)},
    {"Empty_time_part_between_separators_is_midnight", "2030-06-15 12::30", At(2030, 6, 15)},
    {"Leap_day", "2024-02-29 23:59:59", At(2024, 2, 29, 23, 59, 59)},
    {"Feb_29_of_a_common_year", "2023-02-29 10:00", 0},
    {"April_31", "2030-04-31 10:00", 0},
    {"Month_13", "2030-13-01 10:00", 0},
    {"Month_that_is_no_number_counts_as_0", "2030-June-15 10:00", 0},
    {"Missing_day", "2030-06 10:00", 0},
    {"Fourth_date_part", "2030-06-15-01 10:00", 0},
    {"Year_0", "0000-01-01 10:00", 0},
    {"Slashes", "2030/06/15 10:00", 0},
    {"Blank_first", " 2030-06-15 10:00", 0},
    {"Empty", "", 0},
};

class ValidToTest : public ::testing::TestWithParam<ValidToRow> {};

TEST_P(ValidToTest, ReadsDateAndTime) {
    const ValidToRow& row = GetParam();
    SCOPED_TRACE(row.content);
    EXPECT_DOUBLE_EQ(ReadValidTo(row.content), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Contents, ValidToTest, ::testing::ValuesIn(kValidToRows), RowName<ValidToRow>);

struct MetaRow {
    const char* name;
    std::vector<std::pair<std::string, std::string>> tags;  // in document order
    std::string identifierBefore;
    MessageLimits expected;
    std::string expectedIdentifier;
};

const MetaRow kMetaRows[] = {
    {"No_tags_keep_every_limit_at_0", {}, "", {0, 0, 0, 0}, ""},
    {"Numbers_are_taken", {{"TimesToShow", "3"}, {"TimesPerDay", "1"}, {"EveryHours", "24"}}, "", {3, 1, 24, 0}, ""},
    {"Names_ignore_letter_case",
     {{"timestoshow", "4"}, {"TIMESPERDAY", "5"}, {"everyHOURS", "6"}},
     "",
     {4, 5, 6, 0},
     ""},
    {"Contents_that_are_no_numbers_give_the_defaults",
     {{"TimesToShow", "many"}, {"TimesPerDay", ""}, {"EveryHours", "1.5"}},
     "",
     {10, 2, 12, 0},
     ""},
    {"Blank_around_a_number_makes_it_no_number", {{"TimesToShow", " 5"}}, "", {10, 0, 0, 0}, ""},
    {"Number_beyond_32_bits_is_no_number", {{"TimesPerDay", "99999999999"}}, "", {0, 2, 0, 0}, ""},
    {"Negative_numbers_are_numbers", {{"EveryHours", "-3"}}, "", {0, 0, -3, 0}, ""},
    {"Later_tag_wins", {{"TimesToShow", "3"}, {"TimesToShow", "7"}}, "", {7, 0, 0, 0}, ""},
    {"ValidTo_is_read_by_the_date_rule", {{"validto", "2030-06-15 12:00"}}, "", {0, 0, 0, At(2030, 6, 15, 12)}, ""},
    {"Unknown_tags_are_ignored", {{"description", "5"}, {"Times", "5"}}, "", {0, 0, 0, 0}, ""},
    {"Longer_names_that_start_with_known_ones_are_ignored",
     {{"ValidToX", "2030-06-15 12:00"}, {"adIDs", "x"}, {"TimesToShowX", "3"}, {"EveryHours2", "4"}},
     "",
     {0, 0, 0, 0},
     ""},
    {"First_adID_names_the_message", {{"adID", "spring"}, {"ADID", "summer"}}, "", {0, 0, 0, 0}, "spring"},
    {"Empty_adID_is_Basic", {{"adID", ""}}, "", {0, 0, 0, 0}, "Basic"},
    {"adID_of_a_later_page_is_ignored", {{"adID", "summer"}}, "spring", {0, 0, 0, 0}, "spring"},
};

class MessageMetaTagTest : public ::testing::TestWithParam<MetaRow> {};

TEST_P(MessageMetaTagTest, SetsLimitsAndIdentifier) {
    const MetaRow& row = GetParam();
    MessageLimits limits;
    std::string identifier = row.identifierBefore;
    for (const auto& [name, content] : row.tags) {
        SCOPED_TRACE(name + "=" + content);
        ApplyMessageMetaTag(name, content, limits, identifier);
    }
    EXPECT_EQ(limits.timesToShow, row.expected.timesToShow);
    EXPECT_EQ(limits.timesPerDay, row.expected.timesPerDay);
    EXPECT_EQ(limits.everyHours, row.expected.everyHours);
    EXPECT_DOUBLE_EQ(limits.validTo, row.expected.validTo);
    EXPECT_EQ(identifier, row.expectedIdentifier);
}

INSTANTIATE_TEST_SUITE_P(Pages, MessageMetaTagTest, ::testing::ValuesIn(kMetaRows), RowName<MetaRow>);

}  // namespace
}  // namespace quillcrest
