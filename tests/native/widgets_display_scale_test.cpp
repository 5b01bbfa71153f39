#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/main_window_layout.h"
#include "support/row_name.h"
#include "widgets/display_scale.h"

namespace quillcrest {
namespace {

namespace layout = main_window_layout;

// The densities of 100 %, 125 %, 150 % and 200 % display scale.
constexpr int kDpis[] = {96, 120, 144, 192};

struct LengthCase {
    const char* name;
    int length;
    int dpi;
    int scaled;
};

class ScaleToDpiTest : public testing::TestWithParam<LengthCase> {};

TEST_P(ScaleToDpiTest, RoundsToTheNearestPixelAndBack) {
    const LengthCase& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ScaleToDpi(row.length, row.dpi), row.scaled);
    // Back to 96 dpi, a scaled length comes home whenever scaling did not merge two lengths.
    if (row.dpi >= kDesignDpi)
        EXPECT_EQ(ScaleFromDpi(row.scaled, row.dpi), row.length);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         ScaleToDpiTest,
                         testing::ValuesIn(std::vector<LengthCase>{
                             {"unchanged at 96 dpi", 436, 96, 436},
                             {"exact at 150 percent", 436, 144, 654},
                             {"a quarter rounds down at 125 percent", 13, 120, 16},
                             {"three quarters round up at 125 percent", 11, 120, 14},
                             {"a half rounds away from zero", 1, 144, 2},
                             {"font heights are negative and round away from zero too", -11, 144, -17},
                             {"doubled at 200 percent", -11, 192, -22},
                             {"zero stays zero", 0, 192, 0},
                         }),
                         fakes::RowName<LengthCase>);

struct LayoutCase {
    const char* name;
    std::vector<LayoutBox> boxes;
};

class ScaleLayoutTest : public testing::TestWithParam<LayoutCase> {};

// At every density: equal sizes stay equal, flush and aligned edges stay so, boxes apart stay apart and in order,
// and no edge strays more than a pixel from its own scaled place.
TEST_P(ScaleLayoutTest, KeepsEqualSizesTouchingEdgesAndOrder) {
    const LayoutCase& row = GetParam();
    SCOPED_TRACE(row.name);
    for (int dpi : kDpis) {
        SCOPED_TRACE("dpi " + std::to_string(dpi));
        const std::vector<LayoutBox> scaled = ScaleLayout(row.boxes, dpi);
        ASSERT_EQ(scaled.size(), row.boxes.size());
        for (std::size_t i = 0; i < scaled.size(); ++i) {
            const LayoutBox& box = row.boxes[i];
            const LayoutBox& out = scaled[i];
            SCOPED_TRACE("box " + std::to_string(i));
            if (dpi == kDesignDpi)
                EXPECT_EQ(out, box);
            EXPECT_EQ(out.width, ScaleToDpi(box.width, dpi));
            EXPECT_EQ(out.height, ScaleToDpi(box.height, dpi));
            EXPECT_LE(std::abs(out.x - ScaleToDpi(box.x, dpi)), 1);
            EXPECT_LE(std::abs(out.y - ScaleToDpi(box.y, dpi)), 1);
            for (std::size_t j = 0; j < scaled.size(); ++j) {
                const LayoutBox& other = row.boxes[j];
                const LayoutBox& otherOut = scaled[j];
                if (box.Right() == other.x)
                    EXPECT_EQ(out.Right(), otherOut.x) << "flush with box " << j;
                if (box.Right() < other.x)
                    EXPECT_LE(out.Right(), otherOut.x) << "before box " << j;
                if (box.Bottom() == other.y)
                    EXPECT_EQ(out.Bottom(), otherOut.y) << "flush above box " << j;
                if (box.Bottom() < other.y)
                    EXPECT_LE(out.Bottom(), otherOut.y) << "above box " << j;
                if (box.x == other.x)
                    EXPECT_EQ(out.x, otherOut.x) << "aligned with box " << j;
                if (box.Right() == other.Right())
                    EXPECT_EQ(out.Right(), otherOut.Right()) << "right-aligned with box " << j;
                if (i != j && !box.Intersects(other))
                    EXPECT_FALSE(out.Intersects(otherOut)) << "box " << j;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    ScaleLayoutTest,
    testing::ValuesIn(std::vector<LayoutCase>{
        {"main window",
         {layout::kClient, layout::kBanner, layout::kSideImage, layout::kDnsSelectionGroup,
          layout::kUseDefaultDnsChoice, layout::kUseOpenDnsChoice, layout::kCheckDnsButton, layout::kMonitorBox,
          layout::kBottomPanel}},
        {"main window bottom panel",
         {layout::kPanelClient, layout::kInfoButton, layout::kApplyButton, layout::kCloseButton}},
        // Two buttons of one width, 8 pixels apart, the second flush with a margin box at the right edge.
        {"dialog buttons against the right margin",
         {{0, 0, 420, 100}, {226, 60, 84, 25}, {318, 60, 84, 25}, {402, 0, 18, 100}}},
        // Odd sizes whose scaled sum differs from the scaled whole: the tied edges follow their neighbours.
        {"a row of odd widths flush with each other",
         {{0, 0, 101, 10}, {3, 0, 33, 10}, {36, 0, 33, 10}, {69, 0, 32, 10}}},
    }),
    fakes::RowName<LayoutCase>);

TEST(ScaleLayoutTest, ContradictingTiesGiveWayByAPixelAtMost) {
    // Three widths of 1 pixel end where one of 3 does; at 150 % the three make 6 pixels and the one 5, so one
    // edge keeps its own place and a box's size gives way.
    const std::vector<LayoutBox> boxes{{0, 0, 1, 1}, {1, 0, 1, 1}, {2, 0, 1, 1}, {0, 2, 3, 1}};
    const std::vector<LayoutBox> scaled = ScaleLayout(boxes, 144);
    EXPECT_EQ(scaled[3].x, 0);
    EXPECT_EQ(scaled[2].Right(), scaled[3].Right());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_LE(std::abs(scaled[i].width - ScaleToDpi(boxes[i].width, 144)), 1);
        EXPECT_GT(scaled[i].width, 0);
    }
    EXPECT_EQ(scaled[0].Right(), scaled[1].x);
    EXPECT_EQ(scaled[1].Right(), scaled[2].x);
}

struct TextCase {
    const char* name;
    int scaledWidth;
    int textWidth;
    int decorationWidth;
    int width;
};

class WidthForTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(WidthForTextTest, WidensOnlyWhenTheTextNeedsIt) {
    const TextCase& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(WidthForText(row.scaledWidth, row.textWidth, row.decorationWidth), row.width);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         WidthForTextTest,
                         testing::ValuesIn(std::vector<TextCase>{
                             {"text with room to spare keeps the scaled width", 519, 380, 26, 519},
                             {"text and glyph exactly filling it", 100, 80, 20, 100},
                             {"text a pixel too wide widens the control", 100, 81, 20, 101},
                             {"text wider than the whole control", 120, 180, 18, 198},
                         }),
                         fakes::RowName<TextCase>);

}  // namespace
}  // namespace quillcrest
