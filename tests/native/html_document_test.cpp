#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "html/html_document.h"
#include "support/html_fake_container.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using quillcrest::fakes::RowName;

TEST(HtmlDocumentLoadTest, ReportsMetaTagsAndPicturesInOrderThenTheEnd) {
    FakeHtmlContainer container;
    container.pictures["check2.gif"] = {16, 16};
    HtmlDocument document(
        "<html><head><meta name=\"ValidTo\" content=\"2030-01-01 10:00\"><meta name=\"adID\" content=\"\">"
        "<title>Offer</title></head><body><img src=\"check2.gif\"><meta name=TimesToShow content=2>"
        "<img src=\"warning.gif\"><img src=\"check2.gif\"></body></html>",
        container);
    EXPECT_EQ(container.loadEvents,
              (std::vector<std::string>{"meta ValidTo=2030-01-01 10:00", "meta adID=", "picture check2.gif",
                                        "meta TimesToShow=2", "picture warning.gif", "end"}));
    EXPECT_EQ(document.Title(), "Offer");

    // Only the picture the owner handed over is drawn.
    document.Layout(300);
    document.Draw({0, 0, 300, document.Height()}, 0, 0);
    EXPECT_EQ(container.drawnPictures, (std::vector<std::string>{"check2.gif", "check2.gif"}));
}

TEST(HtmlDocumentLinksTest, LinkAreasCoverEveryLineOfTheLinkAndClicksReportTheAddress) {
    FakeHtmlContainer container;
    container.pictures["a.gif"] = {16, 16};
    HtmlDocument document(
        "see <a href=\"http://one/\">first link text</a> and <a href=\"http://two/\"><img src=a.gif border=0></a>",
        container);
    document.Layout(120);  // 104 pixels of content: "see first link" fits, "text" wraps

    const std::vector<HtmlLink>& links = document.Links();
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0].address, "http://one/");
    ASSERT_EQ(links[0].areas.size(), 2u);
    EXPECT_EQ(links[0].areas[0], (HtmlRect{36, 8, 70, 16}));
    // The picture on the second line lowers its baseline.
    EXPECT_EQ(links[0].areas[1], (HtmlRect{8, 28, 28, 16}));
    ASSERT_EQ(links[1].areas.size(), 1u);
    EXPECT_EQ(links[1].areas[0], (HtmlRect{71, 24, 16, 16}));

    EXPECT_EQ(document.LinkAt(36, 8), 0);
    EXPECT_EQ(document.LinkAt(105, 23), 0);
    EXPECT_EQ(document.LinkAt(20, 27), -1);  // above the shorter text of the second line
    EXPECT_EQ(document.LinkAt(106, 8), -1);  // just right of the first line
    EXPECT_EQ(document.LinkAt(20, 30), 0);
    EXPECT_EQ(document.LinkAt(40, 30), -1);  // " and "
    EXPECT_EQ(document.LinkAt(80, 39), 1);
    EXPECT_EQ(document.LinkAt(80, 40), -1);

    document.OnMouseMove(80, 30);
    EXPECT_EQ(container.cursor, HtmlCursor::Hand);
    document.OnMouseMove(40, 30);
    EXPECT_EQ(container.cursor, HtmlCursor::Arrow);

    document.FollowLink(document.LinkAt(20, 30));
    document.FollowLink(1);
    document.FollowLink(7);
    document.FollowLink(-1);
    EXPECT_EQ(container.clickedAddresses, (std::vector<std::string>{"http://one/", "http://two/"}));
}

TEST(HtmlDocumentLinksTest, LinkedPictureGetsAFrameInTheLinkColourThatIsClickable) {
    FakeHtmlContainer container;
    container.pictures["a.gif"] = {16, 16};
    HtmlDocument document("<body link=#800000><a href=x><img src=a.gif></a></body>", container);
    document.Layout(300);
    const std::vector<HtmlDisplayItem>& items = document.LaidOut().items;
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].rect, (HtmlRect{10, 10, 16, 16}));
    for (std::size_t i = 1; i < items.size(); ++i) {
        EXPECT_EQ(items[i].kind, HtmlDisplayItem::Kind::Fill);
        EXPECT_EQ(items[i].color, (HtmlColor{0x80, 0x00, 0x00}));
    }
    EXPECT_EQ(document.LinkAt(8, 8), 0);  // on the frame
}

TEST(HtmlDocumentDrawTest, DrawsOnlyWhatLiesInTheClipShifted) {
    FakeHtmlContainer container;
    HtmlDocument document("one<br>two<br>three<br>four", container);
    document.Layout(200);
    document.Draw({0, 24, 200, 32}, 0, -24);
    EXPECT_EQ(container.drawnTexts, (std::vector<std::string>{"two", "three"}));
}

struct VisibleTextCase {
    const char* name;
    std::string source;
    std::string expected;
};

class HtmlVisibleTextTest : public ::testing::TestWithParam<VisibleTextCase> {};

TEST_P(HtmlVisibleTextTest, GivesWhatAReaderSees) {
    const VisibleTextCase& c = GetParam();
    SCOPED_TRACE(c.source);
    FakeHtmlContainer container;
    EXPECT_EQ(HtmlDocument(c.source, container).VisibleText(), c.expected);
}

const VisibleTextCase kVisibleTextCases[] = {
    {"entities decoded and blanks collapsed", "<title>T</title>  Fish &amp;\n  chips&nbsp;&euro; ",
     "Fish & chips\xA0\x80"},
    {"blocks and breaks start lines", "a<p>b</p>c<br>d<br><br>e<div>f</div>", "a\r\nb\r\nc\r\nd\r\n\r\ne\r\nf"},
    {"cells separated by tabs", "<table><tr><td>a</td><td> b </td></tr><tr><td>c</td></tr></table>", "a\tb\r\nc"},
    {"script style and comments hidden", "a<script>alert(1)</script><style>x{}</style><!-- c -->b", "ab"},
    {"report lines",
     "<font face=\"Tahoma\" size=\"1\"><b>IP Address:</b> 208.67.222.222</font><br>\r\n"
     "<font face=\"Tahoma\" size=\"1\"><b>Host Name:</b> resolver1.opendns.com</font><br>\r\n",
     "IP Address: 208.67.222.222\r\nHost Name: resolver1.opendns.com"},
};

INSTANTIATE_TEST_SUITE_P(Cases, HtmlVisibleTextTest, ::testing::ValuesIn(kVisibleTextCases), RowName<VisibleTextCase>);

struct HostileCase {
    const char* name;
    std::string source;
};

std::string Repeat(const std::string& piece, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

class HtmlHostileInputTest : public ::testing::TestWithParam<HostileCase> {};

// Whatever arrives, loading, layout at several widths, drawing and hit-testing finish and stay in bounds.
TEST_P(HtmlHostileInputTest, RendersSomethingOrNothingWithoutFailing) {
    const HostileCase& c = GetParam();
    SCOPED_TRACE(c.name);
    FakeHtmlContainer container;
    container.pictures["a.gif"] = {4096, 4096};
    HtmlDocument document(c.source, container);
    EXPECT_EQ(container.loadEvents.back(), "end");
    for (int width : {0, 1, 50, 640}) {
        document.Layout(width);
        EXPECT_GE(document.Height(), 0);
        EXPECT_GE(document.Width(), width);
        document.Draw({0, 0, document.Width(), document.Height()}, 0, 0);
        document.LinkAt(width / 2, 10);
        for (const HtmlDisplayItem& item : document.LaidOut().items) {
            EXPECT_GE(item.rect.width, 0);
            EXPECT_GE(item.rect.height, 0);
        }
    }
}

const HostileCase kHostileCases[] = {
    {"empty", ""},
    {"only markup", "<html><head></head><body></body></html>"},
    {"binary bytes", std::string("\0\x01\xFF<\x80>&#;<<>>\0", 14)},
    {"deep nesting of blocks", Repeat("<div><ul><li><font size=7><center>", 3000) + "x"},
    {"deep nesting of tables", Repeat("<table border=32 cellpadding=256 cellspacing=256><tr><td>", 1000) + "x"},
    {"deep nesting of lists without items", Repeat("<ol>", 5000) + "<li>x"},
    {"many columns with spans", "<table><tr>" + Repeat("<td colspan=64 width=8192>x", 500) + "</table>"},
    {"huge pictures", Repeat("<img src=a.gif width=999999 height=99999 hspace=9999 vspace=9999 border=99>", 200)},
    {"floats everywhere", Repeat("<img src=a.gif align=left><img src=a.gif align=right>word ", 300)},
    {"unclosed everything", "<table><tr><td><a href=<b><i><u><font color=<p><li><h1><img src"},
    {"stray cells and rows", "<td>a</td><tr>b</tr></table></td><th>c"},
    {"attributes without values", "<table border width cellpadding><tr><td colspan width>x</table><hr size width>"},
    {"text inside table between rows", "<table>x<tr>y<td>z</td>w</tr>v</table>"},
    {"many line breaks", Repeat("<br clear=all>", 20000)},
    {"one long word", std::string(200000, 'w')},
};

INSTANTIATE_TEST_SUITE_P(Cases, HtmlHostileInputTest, ::testing::ValuesIn(kHostileCases), RowName<HostileCase>);

}  // namespace
}  // namespace quillcrest
