#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "pages/day_count.h"
#include "pages/message_counters.h"
#include "settings/registry_values.h"
#include "support/pages_fakes.h"
#include "support/row_name.h"
#include "support/settings_fake_registry.h"

namespace quillcrest {
namespace {

using fakes::RowName;
// The fake registry may live in quillcrest or in quillcrest::fakes.
using namespace fakes;

constexpr double kHour = 1.0 / 24;
constexpr double kMillisecond = 1.0 / kMillisecondsPerDay;
// 15 June 2030, 14:00.
const double kNow = *CalendarDayCount(2030, 6, 15) + 14 * kHour;
const double kFarFuture = *CalendarDayCount(2031, 1, 1);

struct DecisionRow {
    const char* name;
    MessageLimits limits;
    MessageCounters stored;
    double now;
    bool shown;
};

const MessageLimits kUsual = {10, 2, 12, kFarFuture};

const DecisionRow kDecisionRows[] = {
    {"Page_without_limits", {0, 0, 0, kFarFuture}, {}, kNow, false},
    {"Page_without_TimesPerDay", {10, 0, 12, kFarFuture}, {}, kNow, false},
    {"Page_without_TimesToShow", {0, 2, 12, kFarFuture}, {}, kNow, false},
    {"Fresh_message", kUsual, {}, kNow, true},
    {"Page_without_ValidTo", {10, 2, 12, 0}, {}, kNow, false},
    {"ValidTo_passed", {10, 2, 12, kNow - kMillisecond}, {}, kNow, false},
    {"ValidTo_this_very_moment", {10, 2, 12, kNow}, {}, kNow, false},
    {"One_Thanks_left", kUsual, {9, kNow - 100, 0}, kNow, true},
    {"TimesToShow_reached", kUsual, {10, kNow - 100, 0}, kNow, false},
    {"One_of_two_today", kUsual, {1, kNow - 2 * kHour, 1}, kNow, true},
    {"Two_of_two_today", kUsual, {2, kNow - 2 * kHour, 2}, kNow, false},
    {"Two_of_two_just_under_12_whole_hours_ago", kUsual, {2, kNow - 12 * kHour + kMillisecond * 10, 2}, kNow, false},
    {"Two_of_two_12_hours_ago", kUsual, {2, kNow - 12 * kHour - kMillisecond, 2}, kNow, true},
    {"Two_of_two_a_day_ago", kUsual, {2, kNow - 1, 2}, kNow, true},
    {"Two_of_two_within_a_millisecond", kUsual, {2, kNow + kMillisecond / 2, 2}, kNow, false},
    {"Last_Thanks_in_the_future_counts_as_within_the_window", kUsual, {2, kNow + 30, 2}, kNow, false},
    {"Last_Thanks_absurdly_far_away", kUsual, {2, -1e300, 2}, kNow, true},
    {"EveryHours_0_never_holds_today_s_count", {10, 2, 0, kFarFuture}, {5, kNow, 5}, kNow, true},
};

class MessageDecisionTest : public ::testing::TestWithParam<DecisionRow> {};

TEST_P(MessageDecisionTest, ShowsOnlyWithinThePageLimits) {
    const DecisionRow& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(MessageMayBeShown(row.limits, row.stored, row.now), row.shown);
}

INSTANTIATE_TEST_SUITE_P(Cases, MessageDecisionTest, ::testing::ValuesIn(kDecisionRows), RowName<DecisionRow>);

struct ThanksRow {
    const char* name;
    int shownCount;
    MessageCounters stored;
    double now;
    MessageCounters expected;
};

const double kToday = *CalendarDayCount(2030, 6, 15);

const ThanksRow kThanksRows[] = {
    {"First_ever", 0, {0, 0, 0}, kNow, {1, kNow, 1}},
    {"Same_calendar_day", 1, {1, kToday + 9 * kHour, 1}, kNow, {2, kNow, 2}},
    {"Same_day_just_after_midnight", 3, {3, kToday, 4}, kToday + kMillisecond, {4, kToday + kMillisecond, 5}},
    {"Later_calendar_day", 5, {5, kToday - 1 + 23 * kHour, 2}, kToday + kMillisecond, {6, kToday + kMillisecond, 1}},
    {"Last_click_in_the_future_counts_on", 1, {1, kNow + 3, 1}, kNow, {2, kNow, 2}},
    {"Shown_count_held_by_the_window_not_the_stored_one", 4, {9, kNow - 2, 0}, kNow, {5, kNow, 1}},
    {"Counts_stay_at_the_largest_number",
     std::numeric_limits<int>::max(),
     {0, kNow, std::numeric_limits<int>::max()},
     kNow,
     {std::numeric_limits<int>::max(), kNow, std::numeric_limits<int>::max()}},
};

class ThanksCountTest : public ::testing::TestWithParam<ThanksRow> {};

TEST_P(ThanksCountTest, CountsTheClick) {
    const ThanksRow& row = GetParam();
    SCOPED_TRACE(row.name);
    const MessageCounters counted = CountThanks(row.shownCount, row.stored, row.now);
    EXPECT_EQ(counted.shown, row.expected.shown);
    EXPECT_DOUBLE_EQ(counted.lastThanks, row.expected.lastThanks);
    EXPECT_EQ(counted.thanksToday, row.expected.thanksToday);
}

INSTANTIATE_TEST_SUITE_P(Clicks, ThanksCountTest, ::testing::ValuesIn(kThanksRows), RowName<ThanksRow>);

struct StoredRow {
    const char* name;
    TypedValue shown;
    TypedValue lastThanks;
    char separator;
    MessageCounters expected;
};

const StoredRow kStoredRows[] = {
    {"As_written", TypedValue::Int32(3), TypedValue::String("47649,5"), ',', {3, 47649.5, 0}},
    {"Moment_with_a_point_for_a_comma_user", TypedValue::Int32(3), TypedValue::String("47649.5"), ',', {3, 47649.5, 0}},
    {"Moment_that_is_no_number_counts_as_long_past",
     TypedValue::Int32(3),
     TypedValue::String("yesterday"),
     '.',
     {3, 0, 0}},
    {"Count_stored_as_text_is_not_read", TypedValue::String("3"), TypedValue::String("1"), '.', {0, 1, 0}},
    {"Moment_stored_as_a_number_is_not_read", TypedValue::Int32(1), TypedValue::Int32(47649), '.', {1, 0, 0}},
};

class StoredCountersTest : public ::testing::TestWithParam<StoredRow> {};

TEST_P(StoredCountersTest, ReadsWithDefaults) {
    const StoredRow& row = GetParam();
    SCOPED_TRACE(row.name);
    FakeRegistryApi registry;
    const std::string key = MessageCountersKey("spring");
    WriteRegValue(registry, kHkeyCurrentUser, key, kShownCountValue, row.shown);
    WriteRegValue(registry, kHkeyCurrentUser, key, kLastThanksValue, row.lastThanks);
    const MessageCounters read = ReadMessageCounters(registry, "spring", row.separator);
    EXPECT_EQ(read.shown, row.expected.shown);
    EXPECT_DOUBLE_EQ(read.lastThanks, row.expected.lastThanks);
    EXPECT_EQ(read.thanksToday, row.expected.thanksToday);
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Values, StoredCountersTest, ::testing::ValuesIn(kStoredRows), RowName<StoredRow>);

TEST(MessageCountersKey, EmptyIdentifierNamesTheAdsKeyItself) {
    EXPECT_EQ(MessageCountersKey(""), "SOFTWARE\\Brenholt\\Quillcrest\\Ads\\");
    EXPECT_EQ(MessageCountersKey("Basic"), "SOFTWARE\\Brenholt\\Quillcrest\\Ads\\Basic");
}

}  // namespace
}  // namespace quillcrest
