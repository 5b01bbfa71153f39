#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "html/html_tokenizer.h"
#include "html/html_tree.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using quillcrest::fakes::RowName;

class RecordingTreeEvents : public HtmlTreeEvents {
  public:
    std::vector<std::string> events;
    void OnMetaTag(const std::string& name, const std::string& content) override {
        events.push_back("meta " + name + "=" + content);
    }
    void OnPicture(const std::string& source) override { events.push_back("picture " + source); }
};

// The tree as text: elements as tag(children), text in quotes.
std::string Outline(const HtmlTree& tree, int index = 0) {
    const HtmlNode& node = tree.nodes[static_cast<std::size_t>(index)];
    if (node.IsText())
        return "'" + node.text + "'";
    std::string out = node.tag;
    if (node.children.empty())
        return out;
    out += "(";
    for (std::size_t i = 0; i < node.children.size(); ++i)
        out += (i ? " " : "") + Outline(tree, node.children[i]);
    return out + ")";
}

std::string Tokens(const std::string& source) {
    HtmlTokenizer tokenizer(source);
    HtmlToken token;
    std::string out;
    while (tokenizer.Next(token)) {
        if (!out.empty())
            out += " ";
        switch (token.kind) {
            case HtmlToken::Kind::Text:
                out += "'" + token.text + "'";
                break;
            case HtmlToken::Kind::StartTag:
                out += "<" + token.name;
                for (const HtmlAttribute& attribute : token.attributes)
                    out += " " + attribute.name + "=[" + attribute.value + "]";
                out += ">";
                break;
            case HtmlToken::Kind::EndTag:
                out += "</" + token.name + ">";
                break;
        }
    }
    return out;
}

struct TokenCase {
    const char* name;
    std::string source;
    std::string expected;
};

class HtmlTokenizerTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(HtmlTokenizerTest, SplitsSourceIntoTagsAndText) {
    const TokenCase& c = GetParam();
    SCOPED_TRACE(c.source);
    EXPECT_EQ(Tokens(c.source), c.expected);
}

const TokenCase kTokenCases[] = {
    {"names are lower case", "<B>x</B>", "<b> 'x' </b>"},
    {"quoted unquoted and bare attributes", "<img SRC=\"a b.gif\" align=bottom border='0' ismap>",
     "<img src=[a b.gif] align=[bottom] border=[0] ismap=[]>"},
    {"entities in attribute values", "<a href=\"x?a=1&amp;b=2\">", "<a href=[x?a=1&b=2]>"},
    {"query names that are entity names stay in links", "<a href=\"x?id=1&reg=us&not=2&copy1\">",
     "<a href=[x?id=1&reg=us&not=2&copy1]>"},
    {"entity names without semicolon before other characters decode in attributes",
     "<img alt=\"&copy 2009 &amp-x &reg;=\">", "<img alt=[\xA9 2009 &-x \xAE=]>"},
    {"unquoted attribute value keeps its query", "<a href=x?a=1&lt=2&gt;b>", "<a href=[x?a=1&lt=2>b]>"},
    {"same names decode in text", "a&reg=b", "'a\xAE=b'"},
    {"first of two equal attributes wins", "<font color=red COLOR=blue>", "<font color=[red]>"},
    {"self closing slash", "<br/><hr />", "<br> <hr>"},
    {"comment skipped", "a<!-- <b>not</b> -->b", "'a' 'b'"},
    {"unterminated comment hides the rest", "a<!-- b", "'a'"},
    {"doctype and processing instruction skipped", "<!DOCTYPE html><?xml x?>a", "'a'"},
    {"script content skipped whatever it holds", "<script>if (a<b) document.write('</p>')</script>c",
     "<script> </script> 'c'"},
    {"style content skipped", "<STYLE>p { x }</style >c", "<style> </style> 'c'"},
    {"script end tag in any case", "<script>x</SCRIPT>y", "<script> </script> 'y'"},
    {"unterminated script swallows the rest", "<script>x<b>y", "<script>"},
    {"title is text without tags", "<title>a <b> &amp; c</title>", "<title> 'a <b> & c' </title>"},
    {"lone less than sign is text", "a < b <3", "'a ' '<' ' b ' '<' '3'"},
    {"tag cut off at the end is dropped", "a<b class=", "'a'"},
    {"attribute value with greater than sign in quotes", "<a title=\"x>y\">", "<a title=[x>y]>"},
    {"end tag attributes are dropped", "</td width=3>", "</td>"},
    {"junk end tag skipped", "a</ x>b", "'a' 'b'"},
};

INSTANTIATE_TEST_SUITE_P(Cases, HtmlTokenizerTest, ::testing::ValuesIn(kTokenCases), RowName<TokenCase>);

TEST(HtmlTokenizerLimitsTest, LongNamesAndValuesAreCutAndExtraAttributesDropped) {
    std::string source = "<" + std::string(100, 'x') + " " + std::string(100, 'n') + "=" +
                         std::string(kMaxAttributeValueLength + 50, 'v');
    for (std::size_t i = 0; i < kMaxAttributesPerTag + 10; ++i)
        source += " a" + std::to_string(i) + "=1";
    source += ">";
    HtmlTokenizer tokenizer(source);
    HtmlToken token;
    ASSERT_TRUE(tokenizer.Next(token));
    EXPECT_EQ(token.name.size(), kMaxTagNameLength);
    ASSERT_EQ(token.attributes.size(), kMaxAttributesPerTag);
    EXPECT_EQ(token.attributes[0].name.size(), kMaxAttributeNameLength);
    EXPECT_EQ(token.attributes[0].value.size(), kMaxAttributeValueLength);
    EXPECT_FALSE(tokenizer.Next(token));
}

struct TreeCase {
    const char* name;
    std::string source;
    std::string expected;
};

class HtmlTreeTest : public ::testing::TestWithParam<TreeCase> {};

TEST_P(HtmlTreeTest, RepairsLikeABrowser) {
    const TreeCase& c = GetParam();
    SCOPED_TRACE(c.source);
    RecordingTreeEvents events;
    EXPECT_EQ(Outline(BuildHtmlTree(c.source, events)), c.expected);
}

const TreeCase kTreeCases[] = {
    {"document frame is no node", "<html><head><title>T</title></head><body>x</body></html>", "body('x')"},
    {"paragraph closes paragraph", "<p>a<p>b", "body(p('a') p('b'))"},
    {"block closes paragraph", "<p>a<div>b</div>", "body(p('a') div('b'))"},
    {"list item closes list item", "<ul><li>a<li>b</ul>", "body(ul(li('a') li('b')))"},
    {"nested list keeps the outer item open", "<ul><li>a<ul><li>b</ul><li>c</ul>",
     "body(ul(li('a' ul(li('b'))) li('c')))"},
    {"cells and rows close each other", "<table><tr><td>a<td>b<tr><td>c</table>",
     "body(table(tr(td('a') td('b')) tr(td('c'))))"},
    {"row groups are no nodes", "<table><tbody><tr><td>a</td></tr></tbody></table>", "body(table(tr(td('a'))))"},
    {"cell without row gets one", "<table><td>a<td>b</table>", "body(table(tr(td('a') td('b'))))"},
    {"end tag closes what opened after it", "<div><p>x</div>y", "body(div(p('x')) 'y')"},
    {"misnested formatting opens again", "<b><font size=1>W:</b> none</font>z",
     "body(b(font('W:')) font(' none') 'z')"},
    {"formatting end tag stays out of a block opened inside", "<font><p><b>x</font>y</b>", "body(font(p(b('xy'))))"},
    {"stray end tag ignored", "a</i>b</div>c", "body('abc')"},
    {"end tag does not reach out of a cell", "<b><table><tr><td>x</b>y</td></tr></table>z</b>",
     "body(b(table(tr(td('xy'))) 'z'))"},
    {"cell end tag of an outer table ignored inside inner", "<table><tr><td><table><tr><td>a</tr></td>b",
     "body(table(tr(td('b' table(tr(td('a')))))))"},
    {"text between rows shows before the table", "<table> <tr> x <td>a</table>", "body(' x ' table(tr(td('a'))))"},
    {"link closes link", "<a href=1>a<a href=2>b", "body(a('a') a('b'))"},
    {"end br is a line break", "a</br>b", "body('a' br 'b')"},
    {"void elements take no children", "<img src=x>a<br>b<hr>c", "body(img 'a' br 'b' hr 'c')"},
    {"heading closes heading", "<h1>a<h2>b</h2>", "body(h1('a') h2('b'))"},
    {"script and style leave nothing", "a<script>x</script><style>y</style>b", "body('ab')"},
};

INSTANTIATE_TEST_SUITE_P(Cases, HtmlTreeTest, ::testing::ValuesIn(kTreeCases), RowName<TreeCase>);

TEST(HtmlTreeEventsTest, MetaTagsAndPicturesAreReportedInDocumentOrderEachSourceOnce) {
    RecordingTreeEvents events;
    HtmlTree tree = BuildHtmlTree(
        "<html><head><META NAME=\"adID\" content=\"spring\"><meta http-equiv=\"Refresh\" content=\"5\">"
        "<title>Offer &amp; more</title></head>"
        "<body bgcolor=\"#FFFFFF\" text=black><img src=\"top.gif\"><meta name=TimesToShow content=3>"
        "<img src=\"top.gif\"><img src=\"TOP.gif\"><img src=\"\"><img alt=none>"
        "<a href=\"http://a/\">x</a><a name=anchor>y</a><a href=\"\">z</a></body>",
        events);
    EXPECT_EQ(events.events, (std::vector<std::string>{"meta adID=spring", "meta Refresh=5", "picture top.gif",
                                                       "meta TimesToShow=3", "picture TOP.gif"}));
    EXPECT_EQ(tree.title, "Offer & more");
    ASSERT_EQ(tree.bodyAttributes.size(), 2u);
    EXPECT_EQ(tree.bodyAttributes[0].name, "bgcolor");
    EXPECT_EQ(tree.links, (std::vector<std::string>{"http://a/", ""}));
}

TEST(HtmlTreeCapsTest, DeepNestingStopsAtTheCapAndKeepsTheText) {
    std::string source;
    for (int i = 0; i < 5000; ++i)
        source += "<div><font>";
    source += "deep";
    RecordingTreeEvents events;
    HtmlTree tree = BuildHtmlTree(source, events);
    int depth = 0;
    int node = 0;
    while (!tree.nodes[static_cast<std::size_t>(node)].children.empty()) {
        node = tree.nodes[static_cast<std::size_t>(node)].children.back();
        ++depth;
    }
    EXPECT_EQ(tree.nodes[static_cast<std::size_t>(node)].text, "deep");
    EXPECT_LE(depth, kMaxNestingDepth);
}

// Each "</b>" below closes a <b> around the font, which the builder then opens again as a copy: a page of a few
// kilobytes asks for dozens of copies of a large attribute. The copies must hold the original's attributes, not
// duplicates of them.
TEST(HtmlTreeCapsTest, ReopenedFormattingCopiesShareTheOriginalsAttributes) {
    const std::string face(kMaxAttributeValueLength, 'f');
    std::string source;
    for (int i = 0; i < 60; ++i)
        source += "<b>";
    source += "<font face=\"" + face + "\" size=1>x";
    for (int i = 0; i < 60; ++i)
        source += "</b>y";
    RecordingTreeEvents events;
    const HtmlTree tree = BuildHtmlTree(source, events);

    std::vector<const HtmlNode*> fonts;
    for (const HtmlNode& node : tree.nodes) {
        if (node.tag == "font")
            fonts.push_back(&node);
    }
    ASSERT_GT(fonts.size(), 50u) << "every </b> opens the font again";
    const std::string* originalFace = fonts.front()->Attribute("face");
    ASSERT_NE(originalFace, nullptr);
    for (const HtmlNode* copy : fonts) {
        ASSERT_NE(copy->Attribute("size"), nullptr);
        EXPECT_EQ(*copy->Attribute("size"), "1") << "a copy keeps the look";
        EXPECT_EQ(copy->Attribute("face"), originalFace) << "a copy shares the attribute bytes";
    }
}

TEST(HtmlTreeCapsTest, NodeCountAndInputSizeAreCapped) {
    std::string many;
    while (many.size() < kMaxDocumentBytes)
        many += "<b>x</b>";
    RecordingTreeEvents events;
    HtmlTree tree = BuildHtmlTree(many, events);
    EXPECT_EQ(tree.nodes.size(), kMaxNodes);

    std::string pictures;
    for (std::size_t i = 0; i < kMaxPictureRequests + 20; ++i)
        pictures += "<img src=p" + std::to_string(i) + ".gif>";
    BuildHtmlTree(pictures, events);
    ASSERT_EQ(events.events.size(), kMaxPictureRequests);
    EXPECT_EQ(events.events.back(), "picture p" + std::to_string(kMaxPictureRequests - 1) + ".gif");
    events.events.clear();

    // Bytes past the size cap are never read: a picture there is never asked for.
    std::string large(kMaxDocumentBytes - 3, ' ');
    large += "<img src=late.gif>";
    HtmlTree truncated = BuildHtmlTree(large, events);
    EXPECT_TRUE(events.events.empty());
}

}  // namespace
}  // namespace quillcrest
