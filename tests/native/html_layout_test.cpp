#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "html/html_document.h"
#include "html/html_layout_engine.h"
#include "html/html_table_columns.h"
#include "support/html_fake_container.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using quillcrest::fakes::RowName;

// One text or picture item of a golden layout: where the element's content lands.
struct Placed {
    std::string element;
    std::string content;
    int x;
    int y;
    int width;

    bool operator==(const Placed& other) const {
        return element == other.element && content == other.content && x == other.x && y == other.y &&
               width == other.width;
    }
};

void PrintTo(const Placed& placed, std::ostream* out) {
    *out << "{" << placed.element << " '" << placed.content << "' " << placed.x << "," << placed.y << " w"
         << placed.width << "}";
}

std::vector<Placed> TextAndPictures(const HtmlDocument& document) {
    std::vector<Placed> placed;
    for (const HtmlDisplayItem& item : document.LaidOut().items) {
        if (item.kind != HtmlDisplayItem::Kind::Fill)
            placed.push_back({item.element, item.content, item.rect.x, item.rect.y, item.rect.width});
    }
    return placed;
}

struct LayoutCase {
    const char* name;
    std::string source;
    int viewWidth;
    std::vector<Placed> expected;
    int height;
};

class HtmlLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

// The fake host makes every character 7 pixels wide; the default font is 16 pixels high (12 above the baseline),
// size 1 is 11 (8 above), <h1> 32 (24 above). Pages have an 8 pixel margin.
TEST_P(HtmlLayoutTest, PlacesContentLikeTheGoldenTable) {
    const LayoutCase& c = GetParam();
    SCOPED_TRACE(c.source);
    FakeHtmlContainer container;
    container.pictures["a.gif"] = {16, 16};
    container.pictures["wide.gif"] = {40, 10};
    HtmlDocument document(c.source, container);
    document.Layout(c.viewWidth);
    EXPECT_EQ(TextAndPictures(document), c.expected);
    EXPECT_EQ(document.Height(), c.height);
}

const LayoutCase kLayoutCases[] = {
    {"words wrap at the content edge",
     "Hello <b>bold</b> world, this is a long line of text that wraps.",
     200,
     {{"body", "Hello ", 8, 8, 42},
      {"b", "bold", 50, 8, 28},
      {"body", " world, this is", 78, 8, 105},
      {"body", "a long line of text that", 8, 24, 168},
      {"body", "wraps.", 8, 40, 42}},
     64},
    {"word longer than the line stands alone",
     "abcdefghijklmnopqrstuvwxyz abc",
     100,
     {{"body", "abcdefghijklmnopqrstuvwxyz", 8, 8, 182}, {"body", "abc", 8, 24, 21}},
     48},
    {"white space collapses across elements",
     "  a \n\t <i> b </i>  c  ",
     300,
     {{"body", "a ", 8, 8, 14}, {"i", "b ", 22, 8, 14}, {"body", "c", 36, 8, 7}},
     32},
    {"centred and right aligned blocks",
     "<center>ab cd</center><p align=right>xy</p>",
     100,
     {{"center", "ab cd", 32, 8, 35}, {"p", "xy", 78, 40, 14}},
     64},
    {"line breaks make empty lines", "a<br><br>b<br>", 100, {{"body", "a", 8, 8, 7}, {"body", "b", 8, 40, 7}}, 64},
    {"font sizes and headings",
     "<font size=1>tiny</font><h1>Big</h1>x",
     100,
     {{"font", "tiny", 8, 8, 28}, {"h1", "Big", 8, 40, 21}, {"body", "x", 8, 93, 7}},
     117},
    {"relative font size",
     "<font size=-2>a</font><font size=+9>b</font>",
     300,
     {{"font", "a", 8, 36, 7}, {"font", "b", 15, 8, 7}},
     64},
    {"picture aligns with unknown align value at the bottom",
     "x<img src=a.gif align=bpttom>y",
     300,
     {{"body", "x", 8, 12, 7}, {"img", "a.gif", 15, 8, 16}, {"body", "y", 31, 12, 7}},
     36},
    {"picture vertical alignments",
     "x<img src=a.gif align=absmiddle>y<img src=a.gif align=middle>z<img src=a.gif align=top>",
     300,
     {{"body", "x", 8, 8, 7},
      {"img", "a.gif", 15, 8, 16},
      {"body", "y", 31, 8, 7},
      {"img", "a.gif", 38, 12, 16},
      {"body", "z", 54, 8, 7},
      {"img", "a.gif", 61, 8, 16}},
     36},
    {"picture size from attributes keeps the aspect",
     "<img src=wide.gif width=80><img src=wide.gif height=20 border=2>",
     300,
     {{"img", "wide.gif", 8, 12, 80}, {"img", "wide.gif", 90, 10, 80}},
     40},
    {"text wraps beside a left picture",
     "<img src=a.gif align=left>aaa bbb ccc ddd eee fff",
     100,
     {{"img", "a.gif", 8, 8, 16},
      {"body", "aaa bbb", 24, 8, 49},
      {"body", "ccc ddd eee", 8, 24, 77},
      {"body", "fff", 8, 40, 21}},
     64},
    {"right picture takes the right edge",
     "ab<img src=a.gif align=right>cd",
     100,
     {{"img", "a.gif", 76, 8, 16}, {"body", "abcd", 8, 8, 28}},
     32},
    {"floats that do not fit beside earlier ones go below them",
     "<img src=a.gif align=left><img src=a.gif align=left><img src=a.gif align=left>",
     60,
     {{"img", "a.gif", 8, 8, 16}, {"img", "a.gif", 24, 8, 16}, {"img", "a.gif", 8, 24, 16}},
     48},
    {"missing picture without size takes no room", "a<img src=none.gif>b", 300, {{"body", "ab", 8, 8, 14}}, 32},
    {"bulleted and numbered lists",
     "<ul><li>a<li>b</ul><ol start=4><li>c</ol>",
     300,
     {{"li", "a", 48, 8, 7},
      {"li", "\x95", 35, 8, 7},
      {"li", "b", 48, 24, 7},
      {"li", "\x95", 35, 24, 7},
      {"li", "c", 48, 56, 7},
      {"li", "4.", 28, 56, 14}},
     80},
    {"nested list indents again",
     "<ul><li>a<ul><li>b</ul></ul>",
     300,
     {{"li", "a", 48, 8, 7}, {"li", "\x95", 35, 8, 7}, {"li", "b", 88, 24, 7}, {"li", "\x95", 75, 24, 7}},
     48},
    {"table columns sized by their content",
     "<table border=1 cellpadding=2><tr><td>ab</td><td>abc def</td></tr><tr><td colspan=2>x</td></tr></table>",
     100,
     {{"td", "ab", 14, 14, 14}, {"td", "abc def", 36, 14, 49}, {"td", "x", 14, 38, 7}},
     68},
    {"narrow table wraps its widest column",
     "<table cellspacing=0 cellpadding=0><tr><td>aa</td><td>bbb ccc ddd</td></tr></table>",
     80,
     {{"td", "aa", 8, 16, 14}, {"td", "bbb ccc", 22, 8, 49}, {"td", "ddd", 22, 24, 21}},
     48},
    {"percentage table width shares the surplus",
     "<table width=\"50%\"><tr><td>a</td><td>b</td></tr></table>",
     100,
     {{"td", "a", 11, 11, 7}, {"td", "b", 31, 11, 7}},
     38},
    {"centred table and cell alignment",
     "<center><table width=60 cellspacing=0 cellpadding=0><tr><td align=right>a</td></tr></table></center>",
     200,
     {{"td", "a", 123, 8, 7}},
     32},
    {"cell content aligned vertically",
     "<table cellspacing=0 cellpadding=0><tr><td>a<br>b</td><td valign=top>c</td><td>d</td>"
     "<td valign=bottom>e</td></tr></table>",
     300,
     {{"td", "a", 8, 8, 7},
      {"td", "b", 8, 24, 7},
      {"td", "c", 15, 8, 7},
      {"td", "d", 22, 16, 7},
      {"td", "e", 29, 24, 7}},
     48},
    {"header cells are bold and centred",
     "<table width=100 cellspacing=0 cellpadding=0><tr><th>h</th></tr></table>",
     300,
     {{"th", "h", 54, 8, 7}},
     32},
    {"linked text keeps its spaces in one run",
     "go <a href=x>to the page</a> now",
     300,
     {{"body", "go ", 8, 8, 21}, {"a", "to the page", 29, 8, 77}, {"body", " now", 106, 8, 28}},
     32},
    {"misnested report line keeps its small font",
     "<b><font size=\"1\">Warnings:</b> none</font><br>",
     300,
     {{"font", "Warnings:", 8, 8, 63}, {"font", " none", 71, 8, 35}},
     27},
    {"rule between paragraphs", "<p>a</p><hr><p>b</p>", 100, {{"p", "a", 8, 8, 7}, {"p", "b", 8, 58, 7}}, 82},
};

INSTANTIATE_TEST_SUITE_P(Cases, HtmlLayoutTest, ::testing::ValuesIn(kLayoutCases), RowName<LayoutCase>);

class HtmlLayoutDensityTest : public ::testing::TestWithParam<LayoutCase> {};

// At 200 % every CSS length doubles and so does every character, so each golden page lays out as at 96 dpi with
// every box twice as large, up to the halves that centring, alignment and baselines round away.
TEST_P(HtmlLayoutDensityTest, DoubleDensityDoublesEveryBox) {
    const LayoutCase& c = GetParam();
    SCOPED_TRACE(c.source);
    auto layOut = [&c](FakeHtmlContainer& container, int dpi) {
        container.dpi = dpi;
        container.pictures["a.gif"] = {16, 16};
        container.pictures["wide.gif"] = {40, 10};
        auto document = std::make_unique<HtmlDocument>(c.source, container);
        document->Layout(ScaleToDpi(c.viewWidth, dpi), dpi);
        return document;
    };
    FakeHtmlContainer designContainer;
    FakeHtmlContainer doubleContainer;
    const auto design = layOut(designContainer, 96);
    const auto doubled = layOut(doubleContainer, 192);
    const std::vector<HtmlDisplayItem>& designItems = design->LaidOut().items;
    const std::vector<HtmlDisplayItem>& doubleItems = doubled->LaidOut().items;
    ASSERT_EQ(doubleItems.size(), designItems.size());
    for (std::size_t i = 0; i < designItems.size(); ++i) {
        const HtmlRect& at96 = designItems[i].rect;
        const HtmlRect& at192 = doubleItems[i].rect;
        SCOPED_TRACE(designItems[i].element + " '" + designItems[i].content + "'");
        EXPECT_EQ(doubleItems[i].content, designItems[i].content);
        EXPECT_NEAR(at192.x, 2 * at96.x, 1);
        EXPECT_NEAR(at192.y, 2 * at96.y, 1);
        EXPECT_NEAR(at192.width, 2 * at96.width, 1);
        EXPECT_NEAR(at192.height, 2 * at96.height, 1);
    }
    EXPECT_NEAR(doubled->Height(), 2 * design->Height(), 1);
    EXPECT_EQ(doubled->Links().size(), design->Links().size());
}

INSTANTIATE_TEST_SUITE_P(GoldenPages, HtmlLayoutDensityTest, ::testing::ValuesIn(kLayoutCases), RowName<LayoutCase>);

TEST(HtmlLayoutDensityTest, PicturesBordersAndIndentsTakeTheDensity) {
    // At 150 %: the 16 x 16 picture is 24 x 24 with its 2-pixel link frame 3 wide, the list 60 pixels in, the
    // page margin 12, the table's border of 1 and spacing of 2 are 2 and 3, and the fonts 24 pixels high.
    FakeHtmlContainer container;
    container.pictures["a.gif"] = {16, 16};
    HtmlDocument document(
        "<a href=x><img src=a.gif></a><ul><li>item</ul><table border=1><tr><td>cell</td></tr></table>", container);
    document.Layout(600, 144);
    const std::vector<HtmlDisplayItem>& items = document.LaidOut().items;
    auto find = [&items](HtmlDisplayItem::Kind kind, const std::string& content) -> const HtmlDisplayItem* {
        for (const HtmlDisplayItem& item : items) {
            if (item.kind == kind && item.content == content)
                return &item;
        }
        return nullptr;
    };
    const HtmlDisplayItem* picture = find(HtmlDisplayItem::Kind::Picture, "a.gif");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->rect, (HtmlRect{15, 15, 24, 24}));
    const HtmlDisplayItem* item = find(HtmlDisplayItem::Kind::Text, "item");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->rect.x, 12 + 60);
    EXPECT_EQ(document.LaidOut().fonts[static_cast<std::size_t>(item->font)].pixelHeight, 24);
    const HtmlDisplayItem* cell = find(HtmlDisplayItem::Kind::Text, "cell");
    ASSERT_NE(cell, nullptr);
    // Border 2, spacing 3, the cell's own line 2 and padding 2 (1 and 1 at 96 dpi, each scaled alone).
    EXPECT_EQ(cell->rect.x, 12 + 2 + 3 + 2 + 2);
}

TEST(HtmlLayoutFillsTest, RuleAndBackgroundsLieWhereTheirElementsAre) {
    FakeHtmlContainer container;
    HtmlDocument document(
        "<hr width=50 noshade size=3 align=left>"
        "<table bgcolor=#FF0000 cellspacing=0 cellpadding=0><tr><td bgcolor=blue>abc</td></tr></table>",
        container);
    document.Layout(300);
    std::vector<HtmlRect> fills;
    std::vector<std::string> elements;
    for (const HtmlDisplayItem& item : document.LaidOut().items) {
        if (item.kind == HtmlDisplayItem::Kind::Fill) {
            fills.push_back(item.rect);
            elements.push_back(item.element);
        }
    }
    // The table's background is drawn first, the cell's over it, then the text.
    ASSERT_EQ(fills.size(), 3u);
    EXPECT_EQ(elements, (std::vector<std::string>{"hr", "table", "td"}));
    EXPECT_EQ(fills[0], (HtmlRect{8, 8, 50, 3}));
    EXPECT_EQ(fills[1], (HtmlRect{8, 19, 21, 16}));
    EXPECT_EQ(fills[2], (HtmlRect{8, 19, 21, 16}));
    EXPECT_EQ(document.LaidOut().items.back().content, "abc");
}

TEST(HtmlLayoutMarginsTest, PageWithoutMarginsStartsAtTheCorner) {
    FakeHtmlContainer container;
    HtmlDocument document("<p>first</p>", container, false);
    document.Layout(100);
    ASSERT_EQ(document.LaidOut().items.size(), 1u);
    EXPECT_EQ(document.LaidOut().items[0].rect, (HtmlRect{0, 0, 35, 16}));
    EXPECT_EQ(document.Height(), 16);
    EXPECT_EQ(document.Width(), 100);
}

TEST(HtmlLayoutFloatCapTest, PictureAskingToFloatBeyondTheCapStaysInItsLine) {
    FakeHtmlContainer container;
    container.pictures["a.gif"] = {16, 16};
    std::string source;
    for (std::size_t i = 0; i < kMaxLiveFloats; ++i)
        source += "<img src=a.gif align=left>";
    source += "<img src=a.gif align=right>";
    HtmlDocument document(source, container);
    document.Layout(4000);
    const HtmlDisplayItem& last = document.LaidOut().items.back();
    // Floating, it would sit at the right edge; in the line it follows the floats on the left.
    EXPECT_EQ(last.rect.x, 8 + static_cast<int>(kMaxLiveFloats) * 16);
    EXPECT_EQ(last.rect.y, 8);
}

TEST(HtmlLayoutNestedTableTest, InnerTableWidthCountsInTheOuterColumn) {
    FakeHtmlContainer container;
    HtmlDocument document(
        "<table cellspacing=0 cellpadding=0><tr><td>x</td><td>"
        "<table cellspacing=0 cellpadding=0><tr><td>abcdef</td><td>gh</td></tr></table>"
        "</td></tr></table>",
        container);
    document.Layout(400);
    std::vector<Placed> expected{{"td", "x", 8, 8, 7}, {"td", "abcdef", 15, 8, 42}, {"td", "gh", 57, 8, 14}};
    EXPECT_EQ(TextAndPictures(document), expected);
}

struct ColumnCase {
    const char* name;
    std::vector<int> minimums;
    std::vector<int> maximums;
    int available;
    std::vector<int> expected;
};

class HtmlColumnWidthsTest : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(HtmlColumnWidthsTest, SharesTheAvailableWidth) {
    const ColumnCase& c = GetParam();
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DistributeColumnWidths(c.minimums, c.maximums, c.available), c.expected);
}

const ColumnCase kColumnCases[] = {
    {"too narrow gives the minimums", {10, 20}, {50, 60}, 20, {10, 20}},
    {"between shares by the wish to grow", {10, 10}, {10, 110}, 60, {10, 50}},
    {"rounding pixels go to the first columns", {0, 0, 0}, {10, 10, 10}, 20, {7, 7, 6}},
    {"surplus in proportion to the maximums", {10, 10}, {20, 60}, 160, {40, 120}},
    {"empty columns share a surplus evenly", {0, 0}, {0, 0}, 9, {5, 4}},
    {"no columns", {}, {}, 100, {}},
    {"maximum below minimum counts as the minimum", {30}, {5}, 40, {40}},
};

INSTANTIATE_TEST_SUITE_P(Cases, HtmlColumnWidthsTest, ::testing::ValuesIn(kColumnCases), RowName<ColumnCase>);

}  // namespace
}  // namespace quillcrest
