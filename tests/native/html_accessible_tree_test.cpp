#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "html/html_accessible_tree.h"
#include "html/html_document.h"
#include "support/html_fake_container.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using quillcrest::fakes::RowName;
using Role = HtmlAccessibleNode::Role;

// What a screen reader hears of one child: its kind, its name and, for a link, the link's index.
struct Heard {
    Role role;
    std::string name;
    int link;

    bool operator==(const Heard& other) const { return role == other.role && name == other.name && link == other.link; }
};

void PrintTo(const Heard& heard, std::ostream* out) {
    *out << "{" << (heard.role == Role::Link ? "link " : "text ") << "'" << heard.name << "' " << heard.link << "}";
}

Heard Text(std::string name) {
    return {Role::Text, std::move(name), -1};
}

Heard Link(std::string name, int link) {
    return {Role::Link, std::move(name), link};
}

struct TreeCase {
    const char* name;
    std::string source;
    int viewWidth;
    std::vector<Heard> expected;
};

// The page is read by a fake host (7 pixels a character, 16 pixel lines) that has one 16 x 16 picture, "p.gif".
class HtmlAccessibleTreeTest : public ::testing::TestWithParam<TreeCase> {
  protected:
    static std::vector<HtmlAccessibleNode> NodesOf(const std::string& source, int width) {
        FakeHtmlContainer container;
        container.pictures["p.gif"] = {16, 16};
        HtmlDocument document(source, container);
        document.Layout(width);
        return HtmlAccessibleNodes(document.LaidOut(), document.Links());
    }
};

TEST_P(HtmlAccessibleTreeTest, ChildrenComeInReadingOrder) {
    const TreeCase& c = GetParam();
    SCOPED_TRACE(c.source);
    std::vector<Heard> heard;
    for (const HtmlAccessibleNode& node : NodesOf(c.source, c.viewWidth))
        heard.push_back({node.role, node.name, node.link});
    EXPECT_EQ(heard, c.expected);
}

const TreeCase kTreeCases[] = {
    {"paragraphs and line breaks end runs",
     "<p>First para</p><p>Second<br>third</p>",
     300,
     {Text("First para"), Text("Second"), Text("third")}},
    {"text around a link",
     "Visit <a href=\"http://127.0.0.1/more\">our page</a> today.",
     300,
     {Text("Visit"), Link("our page", 0), Text("today.")}},
    {"wrapped lines of a run join with a blank", "<p>one two three four</p>", 60, {Text("one two three four")}},
    {"a link over two lines is one child",
     "<a href=\"x\">alpha beta</a> end",
     60,
     {Link("alpha beta", 0), Text("end")}},
    {"styled pieces of one line join without a gap",
     "<table><tr><td>Host <b>Name:</b></td><td>dns.example</td></tr></table>",
     300,
     {Text("Host Name:"), Text("dns.example")}},
    {"a link holding only a picture is named by its address",
     "<a href=\"http://127.0.0.1/\"><img src=\"p.gif\"></a> <a href=\"x\"><img src=\"none.gif\"></a>",
     300,
     {Link("http://127.0.0.1/", 0)}},
    {"list markers lead their items",
     "<ul><li>one<li><a href=\"x\">two</a> more<li></ul><ol start=3><li>third</ol>",
     300,
     {Text("\x95 one"), Text("\x95"), Link("two", 0), Text("more"), Text("\x95"), Text("3. third")}},
    {"pictures, rules and blanks say nothing", "<img src=\"p.gif\"> <hr> <p> </p>only text", 300, {Text("only text")}},
    {"links in the order of the page, each its own child",
     "<font size=1><b>Warnings:</b> see <a href=\"http://a/\">A</a> and <a href=\"file:///C:/x.exe\">B</a></font><br>"
     "<b>Country:</b> Romania<br>",
     400,
     {Text("Warnings: see"), Link("A", 0), Text("and"), Link("B", 1), Text("Country: Romania")}},
};

INSTANTIATE_TEST_SUITE_P(Cases, HtmlAccessibleTreeTest, ::testing::ValuesIn(kTreeCases), RowName<TreeCase>);

TEST_F(HtmlAccessibleTreeTest, BoundsSurroundEveryLineOfTheChild) {
    // 44 pixels between the margins: "alpha" (35) ends the first line, "beta" (28) starts the second.
    std::vector<HtmlAccessibleNode> nodes = NodesOf("<a href=\"x\">alpha beta</a>", 60);
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(nodes[0].bounds, (HtmlRect{8, 8, 35, 32}));

    nodes = NodesOf("<p>ab</p><p><a href=\"x\">cd</a></p>", 300);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0].bounds, (HtmlRect{8, 8, 14, 16}));
    EXPECT_EQ(nodes[1].bounds, (HtmlRect{8, 40, 14, 16}));
}

}  // namespace
}  // namespace quillcrest
