#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "pages/day_count.h"
#include "pages/message_counters.h"
#include "pages/message_schedule.h"
#include "settings/registry_values.h"
#include "support/pages_fakes.h"
#include "support/row_name.h"
#include "support/settings_fake_registry.h"

namespace quillcrest {
namespace {

using fakes::FakeLocalClock;
using fakes::FakeMessageWindowHost;
// The fake registry may live in quillcrest or in quillcrest::fakes.
using namespace fakes;
using fakes::ScriptedPageFetcher;
using Reply = ScriptedPageFetcher::Reply;
using fakes::RowName;

constexpr char kPage[] = "http://127.0.0.1:8071/odnsad.html";
constexpr double kHour = 1.0 / 24;
const double kToday = *CalendarDayCount(2030, 6, 15);

// A page the decision shows: ten showings, two a day, until 2031.
const std::string kShowablePage =
    "adID=spring\nTimesToShow=10\nTimesPerDay=2\nEveryHours=12\nValidTo=2031-01-01 00:00\n";

class MessageScheduleTest : public ::testing::Test {
  protected:
    MessageScheduleTest() {
        host.Attach(schedule);
        clock.now = kToday + 14 * kHour;
    }

    TypedValue Stored(const std::string& identifier, const char* name, const TypedValue& defaultValue) {
        return ReadRegValue(registry, kHkeyCurrentUser, MessageCountersKey(identifier), name, defaultValue);
    }
    int StoredInt(const std::string& identifier, const char* name) {
        return Stored(identifier, name, TypedValue::Int32(-1)).asInt32();
    }
    std::string StoredText(const std::string& identifier, const char* name) {
        return Stored(identifier, name, TypedValue::String("<missing>")).asString();
    }
    void Store(const std::string& identifier, int shown, const std::string& last, int today) {
        const std::string key = MessageCountersKey(identifier);
        WriteRegValue(registry, kHkeyCurrentUser, key, kShownCountValue, TypedValue::Int32(shown));
        WriteRegValue(registry, kHkeyCurrentUser, key, kLastThanksValue, TypedValue::String(last));
        WriteRegValue(registry, kHkeyCurrentUser, key, kThanksTodayValue, TypedValue::Int32(today));
    }
    // Ticks until the page has been loaded once (at most a few ticks).
    void LoadFirstPage() {
        schedule.Start();
        for (int i = 0; i < 3 && host.loads == 0; ++i)
            schedule.OnFetchTick();
        ASSERT_EQ(host.loads, 1);
    }

    FakeMessageWindowHost host;
    ScriptedPageFetcher fetcher;
    FakeRegistryApi registry;
    FakeLocalClock clock;
    MessageSchedule schedule{host, fetcher, registry, clock, {"127.0.0.1:8071", "quillcrest.test"}, ','};
};

TEST_F(MessageScheduleTest, FirstFetchAtTheSecondTickThenEveryTickUntilStatus200) {
    fetcher.Script(kPage, {{404, "missing"}, {503, "busy"}, {200, kShowablePage}});
    schedule.Start();
    EXPECT_TRUE(host.fetchTimerRunning);
    EXPECT_EQ(host.fetchIntervalMs, 10000u);

    schedule.OnFetchTick();
    EXPECT_TRUE(fetcher.requests.empty());
    EXPECT_EQ(schedule.TickCount(), 1);

    schedule.OnFetchTick();
    schedule.OnFetchTick();
    EXPECT_EQ(fetcher.requests.size(), 2u);
    EXPECT_EQ(host.loads, 0);
    EXPECT_TRUE(host.fetchTimerRunning);

    schedule.OnFetchTick();
    EXPECT_EQ(fetcher.requests, std::vector<std::string>(3, kPage));
    EXPECT_EQ(host.loads, 1);
    EXPECT_FALSE(host.fetchTimerRunning);
    EXPECT_TRUE(host.showing);
    EXPECT_EQ(schedule.TickCount(), 4);
}

TEST_F(MessageScheduleTest, ShownMessageHiddenAtTheMinuteTickRearmsTheFetchFor15Minutes) {
    fetcher.Script(kPage, {{200, kShowablePage}});
    LoadFirstPage();
    ASSERT_TRUE(host.showing);

    schedule.OnHideTick();
    EXPECT_FALSE(host.showing);
    EXPECT_TRUE(host.fetchTimerRunning);
    EXPECT_EQ(host.fetchIntervalMs, 900000u);
    EXPECT_EQ(schedule.TickCount(), 0);

    // The first tick after the re-arm only counts; the second fetches again.
    schedule.OnFetchTick();
    EXPECT_EQ(fetcher.requests.size(), 1u);
    schedule.OnFetchTick();
    EXPECT_EQ(fetcher.requests.size(), 2u);
    EXPECT_EQ(host.loads, 2);
}

TEST_F(MessageScheduleTest, ThanksBeforeTheMinuteTickLeavesTheFetchTimerStopped) {
    fetcher.Script(kPage, {{200, kShowablePage}});
    LoadFirstPage();
    schedule.OnThanks();
    EXPECT_FALSE(host.showing);

    schedule.OnHideTick();
    EXPECT_FALSE(host.fetchTimerRunning);
}

TEST_F(MessageScheduleTest, PageKeptHiddenByItsLimitsStopsTheFetchForTheRun) {
    fetcher.Script(kPage, {{200, "adID=spring\n"}});
    LoadFirstPage();
    EXPECT_FALSE(host.showing);
    EXPECT_FALSE(host.fetchTimerRunning);
    schedule.OnHideTick();
    EXPECT_FALSE(host.fetchTimerRunning);
}

TEST_F(MessageScheduleTest, TicksDuringTheWaitOfAFetchStartNoSecondFetchAndDoNotCount) {
    fetcher.Script(kPage, {{404, ""}});
    schedule.Start();
    schedule.OnFetchTick();
    int nestedTicks = 0;
    fetcher.whileWaiting = [&](const std::string&) {
        for (int i = 0; i < 5; ++i, ++nestedTicks)
            schedule.OnFetchTick();
    };
    schedule.OnFetchTick();
    EXPECT_EQ(nestedTicks, 5);
    EXPECT_EQ(fetcher.requests.size(), 1u);
    EXPECT_EQ(schedule.TickCount(), 2);
    EXPECT_TRUE(host.reports.empty());
}

TEST_F(MessageScheduleTest, TicksDuringThePicturesOfALoadingPageStartNoPageFetch) {
    fetcher.Script(kPage, {{200, kShowablePage + "img logo.gif\n"}});
    fetcher.Script("http://127.0.0.1:8071/logo.gif", {{200, "GIF89a"}});
    fetcher.whileWaiting = [&](const std::string& url) {
        if (url != kPage)
            schedule.OnFetchTick();
    };
    LoadFirstPage();
    EXPECT_EQ(fetcher.requests, (std::vector<std::string>{kPage, "http://127.0.0.1:8071/logo.gif"}));
    EXPECT_TRUE(host.reports.empty());
}

TEST_F(MessageScheduleTest, FailedFetchIsReportedOnceAndRetriedSilentlyAtLaterTicks) {
    fetcher.Script(kPage, {{0, "", "[10061] Connection refused"}});
    schedule.Start();
    for (int i = 0; i < 6; ++i)
        schedule.OnFetchTick();
    EXPECT_EQ(host.reports, std::vector<std::string>{"[10061] Connection refused"});
    EXPECT_EQ(fetcher.requests.size(), 5u);
    // A failure does not count, so every later tick still fetches.
    EXPECT_EQ(schedule.TickCount(), 1);
    EXPECT_TRUE(host.fetchTimerRunning);
}

// The program is closing: a fetch that its quit request ended is no failure, and leaves the one report of the run
// for a real one.
TEST_F(MessageScheduleTest, FetchEndedByAQuitRequestIsNotReported) {
    fetcher.Script(kPage, {Reply::Abandoned(), {0, "", "[10061] Connection refused"}});
    schedule.Start();
    schedule.OnFetchTick();
    schedule.OnFetchTick();
    EXPECT_EQ(fetcher.requests.size(), 1u);
    EXPECT_TRUE(host.reports.empty());
    schedule.OnFetchTick();
    EXPECT_EQ(host.reports, std::vector<std::string>{"[10061] Connection refused"});
}

TEST_F(MessageScheduleTest, TicksInsideTheErrorBoxRetryWithoutAnotherBox) {
    fetcher.Script(kPage, {{0, "", "Operation timed out"}, {0, "", "[11001] Host not found"}, {200, kShowablePage}});
    fetcher.whileWaiting = nullptr;
    host.whileReportOpen = [&] {
        schedule.OnFetchTick();  // fails again: silent
        schedule.OnFetchTick();  // answers 200: the page loads while the box is still open
    };
    schedule.Start();
    schedule.OnFetchTick();
    schedule.OnFetchTick();
    EXPECT_EQ(host.reports, std::vector<std::string>{"Operation timed out"});
    EXPECT_EQ(fetcher.requests.size(), 3u);
    EXPECT_EQ(host.loads, 1);
    EXPECT_FALSE(host.fetchTimerRunning);
}

TEST_F(MessageScheduleTest, FailureWhileAnotherReportIsOnScreenWaitsForALaterOne) {
    fetcher.Script(kPage, {{0, "", "[10061] Connection refused"}, {0, "", "Operation timed out"}});
    schedule.Start();
    schedule.OnFetchTick();
    host.otherReportOnScreen = true;
    schedule.OnFetchTick();
    EXPECT_TRUE(host.reports.empty());
    host.otherReportOnScreen = false;
    schedule.OnFetchTick();
    schedule.OnFetchTick();
    EXPECT_EQ(host.reports, std::vector<std::string>{"Operation timed out"});
}

struct PictureRow {
    const char* name;
    const char* source;
    const char* fetchedAddress;
    Reply reply;
    std::optional<std::string> handedToTheView;
};

const PictureRow kPictureRows[] = {
    {"Relative_source_goes_after_the_base",
     "pics/logo.gif",
     "http://127.0.0.1:8071/pics/logo.gif",
     {200, "GIF"},
     "GIF"},
    {"Source_naming_the_domain_is_fetched_unchanged",
     "http://cdn.quillcrest.test/a.gif",
     "http://cdn.quillcrest.test/a.gif",
     {200, "GIF"},
     "GIF"},
    {"Domain_in_capital_letters_is_fetched_unchanged",
     "HTTP://CDN.QUILLCREST.TEST/A.GIF",
     "HTTP://CDN.QUILLCREST.TEST/A.GIF",
     {200, "GIF"},
     "GIF"},
    {"Other_absolute_source_goes_after_the_base",
     "http://elsewhere.test/a.gif",
     "http://127.0.0.1:8071/http://elsewhere.test/a.gif",
     {200, "GIF"},
     "GIF"},
    {"Status_other_than_200_gives_no_picture",
     "logo.gif",
     "http://127.0.0.1:8071/logo.gif",
     {404, "Not Found"},
     std::nullopt},
    {"Failed_fetch_gives_no_picture",
     "logo.gif",
     "http://127.0.0.1:8071/logo.gif",
     {0, "", "Operation timed out"},
     std::nullopt},
};

class MessagePictureTest : public MessageScheduleTest, public ::testing::WithParamInterface<PictureRow> {};

TEST_P(MessagePictureTest, FetchesFromTheMessageServer) {
    const PictureRow& row = GetParam();
    SCOPED_TRACE(row.source);
    fetcher.Script(kPage, {{200, kShowablePage + "img " + row.source + "\n"}});
    fetcher.Script(row.fetchedAddress, {row.reply});
    LoadFirstPage();
    EXPECT_EQ(fetcher.requests, (std::vector<std::string>{kPage, row.fetchedAddress}));
    ASSERT_EQ(host.pictures.size(), 1u);
    EXPECT_EQ(host.pictures[0], row.handedToTheView);
    // The page loads and is decided on whatever its pictures did, and no picture failure is reported.
    EXPECT_TRUE(host.showing);
    EXPECT_TRUE(host.reports.empty());
}

INSTANTIATE_TEST_SUITE_P(Sources, MessagePictureTest, ::testing::ValuesIn(kPictureRows), RowName<PictureRow>);

TEST_F(MessageScheduleTest, FirstThanksWithNothingStoredWritesOneOneAndNow) {
    fetcher.Script(kPage, {{200, kShowablePage}});
    LoadFirstPage();
    clock.now = kToday + 0.5;
    schedule.OnThanks();
    EXPECT_EQ(StoredInt("spring", kShownCountValue), 1);
    EXPECT_EQ(StoredText("spring", kLastThanksValue), "47649,5");
    EXPECT_EQ(StoredInt("spring", kThanksTodayValue), 1);
    EXPECT_FALSE(host.showing);
}

TEST_F(MessageScheduleTest, ThanksOnTheSameCalendarDayAddsToTodaysCount) {
    Store("spring", 1, "47649,25", 1);  // 06:00 today
    fetcher.Script(kPage, {{200, kShowablePage}});
    LoadFirstPage();
    ASSERT_TRUE(host.showing);
    schedule.OnThanks();
    EXPECT_EQ(StoredInt("spring", kShownCountValue), 2);
    EXPECT_EQ(StoredInt("spring", kThanksTodayValue), 2);
}

TEST_F(MessageScheduleTest, ThanksOnALaterCalendarDayStartsTodaysCountAtOne) {
    Store("spring", 2, "47648,9", 2);  // yesterday, 21:36
    fetcher.Script(kPage, {{200, kShowablePage}});
    LoadFirstPage();
    ASSERT_TRUE(host.showing);  // 16 hours since: the two clicks of yesterday's window no longer count
    schedule.OnThanks();
    EXPECT_EQ(StoredInt("spring", kShownCountValue), 3);
    EXPECT_EQ(StoredInt("spring", kThanksTodayValue), 1);
}

TEST_F(MessageScheduleTest, TwoThanksInADayKeepTheMessageAwayFor12WholeHours) {
    fetcher.Script(kPage, {{200, kShowablePage}});
    LoadFirstPage();
    schedule.OnThanks();
    schedule.OnHideTick();
    // Shown again directly (the banner), and thanked again an hour later.
    clock.now += kHour;
    host.ShowInFront();
    schedule.OnThanks();
    const double lastThanks = clock.now;

    host.Attach(schedule);
    clock.now = lastThanks + 11.9 * kHour;
    host.LoadPage(kShowablePage);
    EXPECT_FALSE(host.showing);
    clock.now = lastThanks + 12 * kHour + 1.0 / kMillisecondsPerDay;
    host.LoadPage(kShowablePage);
    EXPECT_TRUE(host.showing);
}

TEST_F(MessageScheduleTest, SecondPageWithAnotheradIDKeepsTheFirstKey) {
    fetcher.Script(kPage, {{200, kShowablePage},
                           {200,
                            "adID=autumn\nTimesToShow=1\nTimesPerDay=1\nEveryHours=1\n"
                            "ValidTo=2031-01-01 00:00\n"}});
    LoadFirstPage();
    schedule.OnHideTick();
    schedule.OnFetchTick();
    schedule.OnFetchTick();
    ASSERT_EQ(host.loads, 2);
    EXPECT_EQ(schedule.Identifier(), "spring");
    EXPECT_EQ(schedule.Limits().timesToShow, 1);
    schedule.OnThanks();
    EXPECT_EQ(StoredInt("spring", kShownCountValue), 1);
    EXPECT_FALSE(registry.HasKey("HKCU\\" + MessageCountersKey("autumn")));
}

TEST_F(MessageScheduleTest, ShownCountReachingTimesToShowKeepsTheMessageHidden) {
    Store("spring", 10, "0", 0);
    fetcher.Script(kPage, {{200, kShowablePage}});
    LoadFirstPage();
    EXPECT_FALSE(host.showing);
    EXPECT_EQ(schedule.ShownCount(), 10);
}

TEST_F(MessageScheduleTest, HideTickWithNothingShownChangesNothing) {
    schedule.Start();
    schedule.OnFetchTick();
    schedule.OnHideTick();
    EXPECT_EQ(schedule.TickCount(), 1);
    EXPECT_EQ(host.fetchIntervalMs, 10000u);
}

}  // namespace
}  // namespace quillcrest
