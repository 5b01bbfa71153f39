#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/widgets_fake_fade_clock.h"
#include "widgets/opacity_fade.h"

namespace quillcrest {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

// The pop-up's fade: 2 more of 255 every 10 ms up to 180, 900 ms in all.
const OpacityFade kPopupFade{180, 2, milliseconds(10)};

struct FadeCase {
    const char* name;
    microseconds tick;  // the system's sleep granularity
};

class OpacityFadeTest : public testing::TestWithParam<FadeCase> {};

// Whatever the tick, the fade ends at its own length (at most one tick late), every opacity shown is the one due
// at that moment, and the opacity only rises.
TEST_P(OpacityFadeTest, EndsOnTimeWhateverTheTick) {
    const FadeCase& row = GetParam();
    SCOPED_TRACE(row.name);
    fakes::CoarseTickFadeClock clock(row.tick);
    const microseconds start = clock.Now();
    struct Shown {
        int opacity;
        microseconds at;
    };
    std::vector<Shown> shown;
    RunFade(
        kPopupFade, clock,
        [&](int opacity) {
            shown.push_back({opacity, clock.Now() - start});
        },
        [] { return false; });

    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().opacity, 180);
    EXPECT_GE(shown.back().at, milliseconds(900));
    EXPECT_LT(shown.back().at, milliseconds(900) + row.tick);
    int previous = 0;
    for (const Shown& step : shown) {
        EXPECT_GT(step.opacity, previous);
        EXPECT_EQ(step.opacity, kPopupFade.OpacityAt(step.at));
        previous = step.opacity;
    }
}

INSTANTIATE_TEST_SUITE_P(Table,
                         OpacityFadeTest,
                         testing::ValuesIn(std::vector<FadeCase>{
                             {"exact_sleeps", microseconds(1)},
                             {"one_millisecond_tick", milliseconds(1)},
                             {"windows_default_tick_15_6_ms", microseconds(15625)},
                             {"tick_of_a_loaded_machine_50_ms", milliseconds(50)},
                         }),
                         [](const auto& info) { return std::string(info.param.name); });

// A final opacity between two steps is reached at the step that would pass it.
const OpacityFade kUnevenFade{181, 2, milliseconds(10)};

TEST(OpacityFade, LengthEndsAtTheStepThatReachesTheFinalOpacity) {
    EXPECT_EQ(kPopupFade.Length(), milliseconds(900));
    EXPECT_EQ(kUnevenFade.Length(), milliseconds(910));
}

struct OpacityCase {
    const char* name;
    OpacityFade fade;
    microseconds elapsed;
    int opacity;
};

class OpacityAtTest : public testing::TestWithParam<OpacityCase> {};

TEST_P(OpacityAtTest, FollowsTheElapsedTimeAndStopsAtTheFinalOne) {
    const OpacityCase& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.fade.OpacityAt(row.elapsed), row.opacity);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         OpacityAtTest,
                         testing::ValuesIn(std::vector<OpacityCase>{
                             {"start", kPopupFade, microseconds(0), 0},
                             {"just_before_the_first_step", kPopupFade, microseconds(9999), 0},
                             {"first_step", kPopupFade, milliseconds(10), 2},
                             {"half_way", kPopupFade, milliseconds(455), 90},
                             {"just_before_the_end", kPopupFade, milliseconds(899), 178},
                             {"end", kPopupFade, milliseconds(900), 180},
                             {"long_after_the_end", kPopupFade, milliseconds(5000), 180},
                             {"uneven_final_opacity_at_its_last_step", kUnevenFade, milliseconds(910), 181},
                             // No time per step: nothing to divide by, the fade is over at once.
                             {"step_time_zero_gives_the_final_opacity_at_once", OpacityFade{180, 2, microseconds(0)},
                              microseconds(0), 180},
                         }),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OpacityFade, StopsWhenAsked) {
    fakes::CoarseTickFadeClock clock(microseconds(15625));
    std::vector<int> shown;
    RunFade(
        kPopupFade, clock, [&](int opacity) { shown.push_back(opacity); }, [&] { return clock.sleeps >= 3; });
    EXPECT_EQ(clock.sleeps, 3);
    EXPECT_EQ(shown, (std::vector<int>{2, 6, 8}));
}

}  // namespace
}  // namespace quillcrest
