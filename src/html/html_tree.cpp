#include "html/html_tree.h"

#include <algorithm>
#include <set>
#include <utility>

#include "html/html_text.h"

namespace quillcrest {
namespace {

template <std::size_t N>
bool IsOneOf(std::string_view name, const std::string_view (&names)[N]) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

constexpr std::string_view kVoidElements[] = {"br",     "hr",     "img",   "input",  "area",
                                              "col",    "wbr",    "param", "embed",  "frame",
                                              "keygen", "source", "track", "spacer", "isindex"};

// Tags that only set document-wide things or group rows; they never become nodes.
constexpr std::string_view kStructureOnly[] = {"html",  "head",     "body",     "tbody",  "thead",
                                               "tfoot", "colgroup", "link",     "base",   "basefont",
                                               "meta",  "title",    "frameset", "script", "style"};

constexpr std::string_view kBlockElements[] = {
    "p",       "div",        "center", "h1",     "h2",      "h3",    "h4",    "h5",       "h6",       "ul",
    "ol",      "li",         "dl",     "dt",     "dd",      "hr",    "table", "tr",       "td",       "th",
    "caption", "blockquote", "pre",    "form",   "address", "menu",  "dir",   "fieldset", "listing",  "xmp",
    "section", "article",    "header", "footer", "nav",     "aside", "main",  "figure",   "noframes", "plaintext"};

// A start tag of these closes an open paragraph.
constexpr std::string_view kClosesParagraph[] = {
    "p",   "div",     "center",  "h1",         "h2",     "h3",   "h4",      "h5",   "h6",    "ul",       "ol",
    "dl",  "hr",      "table",   "blockquote", "pre",    "form", "address", "menu", "dir",   "fieldset", "listing",
    "xmp", "section", "article", "header",     "footer", "nav",  "aside",   "main", "figure"};

// Elements that only change how text looks. When one is closed while others of them opened inside it are still
// open, those are opened again after it, as browsers do: "<b><font size=1>x</b> y</font>" keeps " y" small.
constexpr std::string_view kFormattingElements[] = {"b",   "i",   "u",     "s",   "strike", "font", "strong",
                                                    "em",  "big", "small", "tt",  "code",   "cite", "var",
                                                    "dfn", "kbd", "samp",  "sub", "sup",    "ins",  "del"};

constexpr std::string_view kHeadings[] = {"h1", "h2", "h3", "h4", "h5", "h6"};
constexpr std::string_view kCells[] = {"td", "th"};

// An end tag or an implied close never reaches past these into an enclosing table.
constexpr std::string_view kScopeBoundaries[] = {"td", "th", "table", "caption"};

class TreeBuilder {
  public:
    explicit TreeBuilder(HtmlTreeEvents& events) : events_(events) {
        tree_.nodes.emplace_back();
        tree_.nodes[0].tag = "body";
        open_.push_back(0);
    }

    void Add(HtmlToken& token) {
        switch (token.kind) {
            case HtmlToken::Kind::Text:
                AddText(token.text);
                break;
            case HtmlToken::Kind::StartTag:
                StartTag(token);
                break;
            case HtmlToken::Kind::EndTag:
                EndTag(token.name);
                break;
        }
    }

    HtmlTree Finish() { return std::move(tree_); }

  private:
    HtmlNode& Current() { return tree_.nodes[static_cast<std::size_t>(open_.back())]; }
    const std::string& OpenTag(std::size_t depth) const {
        return tree_.nodes[static_cast<std::size_t>(open_[depth])].tag;
    }

    void AddText(const std::string& text) {
        if (inTitle_) {
            tree_.title += text;
            return;
        }
        const std::string& current = Current().tag;
        if (current == "table" || current == "tr") {
            FosterText(text);
            return;
        }
        HtmlNode& parent = Current();
        if (!parent.children.empty()) {
            HtmlNode& last = tree_.nodes[static_cast<std::size_t>(parent.children.back())];
            if (last.IsText()) {
                last.text += text;
                return;
            }
        }
        int node = AddNode("");
        if (node >= 0)
            tree_.nodes[static_cast<std::size_t>(node)].text = text;
    }

    // Text between a table's rows or cells shows before the table, as in browsers; the white space that lays out
    // the source is dropped.
    void FosterText(const std::string& text) {
        if (std::all_of(text.begin(), text.end(), IsHtmlSpace) || tree_.nodes.size() >= kMaxNodes)
            return;
        std::size_t depth = FindInScope("table", true);
        if (depth == 0)
            return;
        int table = open_[depth];
        int parent = tree_.nodes[static_cast<std::size_t>(table)].parent;
        int index = static_cast<int>(tree_.nodes.size());
        tree_.nodes.emplace_back();
        tree_.nodes.back().text = text;
        tree_.nodes.back().parent = parent;
        std::vector<int>& siblings = tree_.nodes[static_cast<std::size_t>(parent)].children;
        siblings.insert(std::find(siblings.begin(), siblings.end(), table), index);
    }

    // Appends a child of the current element; -1 once the node cap is reached.
    int AddNode(std::string tag) {
        if (tree_.nodes.size() >= kMaxNodes)
            return -1;
        int index = static_cast<int>(tree_.nodes.size());
        int parent = open_.back();
        tree_.nodes.emplace_back();
        HtmlNode& node = tree_.nodes.back();
        node.tag = std::move(tag);
        node.parent = parent;
        tree_.nodes[static_cast<std::size_t>(parent)].children.push_back(index);
        return index;
    }

    void StartTag(HtmlToken& token) {
        const std::string& name = token.name;
        if (IsOneOf(name, kStructureOnly)) {
            StructureTag(token);
            return;
        }
        CloseImpliedElements(name);
        if (IsOneOf(name, kCells) && InTableScope() && OpenTag(open_.size() - 1) == "table")
            OpenImpliedRow();

        bool isVoid = IsOneOf(name, kVoidElements);
        // Beyond the depth cap an element does not nest; its content joins the deepest element.
        if (!isVoid && static_cast<int>(open_.size()) >= kMaxNestingDepth)
            return;
        int index = AddNode(name);
        if (index < 0)
            return;
        HtmlNode& node = tree_.nodes[static_cast<std::size_t>(index)];
        if (!token.attributes.empty())
            node.attributes = std::make_shared<const std::vector<HtmlAttribute>>(std::move(token.attributes));
        if (name == "a") {
            if (const std::string* href = node.Attribute("href")) {
                node.link = static_cast<int>(tree_.links.size());
                tree_.links.push_back(*href);
            }
        }
        if (name == "img") {
            const std::string* source = node.Attribute("src");
            if (source && !source->empty() && requestedPictures_.size() < kMaxPictureRequests &&
                requestedPictures_.insert(*source).second)
                events_.OnPicture(*source);
        }
        if (!isVoid)
            open_.push_back(index);
    }

    void StructureTag(const HtmlToken& token) {
        const std::string& name = token.name;
        if (name == "html" || name == "body") {
            for (const HtmlAttribute& attribute : token.attributes) {
                auto& body = tree_.bodyAttributes;
                bool known = std::any_of(body.begin(), body.end(),
                                         [&](const HtmlAttribute& a) { return a.name == attribute.name; });
                if (!known)
                    body.push_back(attribute);
            }
        } else if (name == "title") {
            inTitle_ = true;
        } else if (name == "meta") {
            std::string metaName;
            std::string content;
            for (const HtmlAttribute& attribute : token.attributes) {
                if (attribute.name == "name" || (attribute.name == "http-equiv" && metaName.empty()))
                    metaName = attribute.value;
                else if (attribute.name == "content")
                    content = attribute.value;
            }
            events_.OnMetaTag(metaName, content);
        }
    }

    // Depth in open_ of the nearest element named tag above the nearest scope boundary, 0 when there is none
    // (depth 0 is the body, which no tag closes).
    std::size_t FindInScope(std::string_view tag, bool crossBoundaries = false) const {
        for (std::size_t depth = open_.size() - 1; depth > 0; --depth) {
            if (OpenTag(depth) == tag)
                return depth;
            if (!crossBoundaries && IsOneOf(OpenTag(depth), kScopeBoundaries))
                return 0;
        }
        return 0;
    }

    bool InTableScope() const { return FindInScope("table", true) > 0; }

    void PopTo(std::size_t depth) {
        if (depth > 0)
            open_.resize(depth);
    }

    void CloseImpliedElements(const std::string& name) {
        if (IsOneOf(name, kClosesParagraph) || name == "li" || name == "dt" || name == "dd")
            PopTo(FindInScope("p"));
        if (IsOneOf(name, kHeadings) && IsOneOf(OpenTag(open_.size() - 1), kHeadings))
            PopTo(open_.size() - 1);
        if (name == "li")
            CloseListItem("li");
        if (name == "dt" || name == "dd") {
            CloseListItem("dt");
            CloseListItem("dd");
        }
        if (name == "a")
            PopTo(FindInScope("a"));
        if (name == "option")
            PopTo(FindInScope("option"));
        if (name == "tr" || IsOneOf(name, kCells))
            CloseTableParts(name == "tr");
    }

    // A list item closes the open item of the same list, not one of an enclosing list.
    void CloseListItem(std::string_view item) {
        for (std::size_t depth = open_.size() - 1; depth > 0; --depth) {
            const std::string& tag = OpenTag(depth);
            if (tag == item) {
                PopTo(depth);
                return;
            }
            if (tag == "ul" || tag == "ol" || tag == "dl" || IsOneOf(tag, kScopeBoundaries))
                return;
        }
    }

    // A new row closes the open row and cell of the nearest table; a new cell closes the open cell and keeps its
    // row.
    void CloseTableParts(bool row) {
        std::size_t table = FindInScope("table", true);
        if (table == 0)
            return;
        if (!row) {
            for (std::size_t depth = table + 1; depth < open_.size(); ++depth) {
                if (OpenTag(depth) == "tr") {
                    PopTo(depth + 1);
                    return;
                }
            }
        }
        PopTo(table + 1);
    }

    void OpenImpliedRow() {
        if (static_cast<int>(open_.size()) >= kMaxNestingDepth)
            return;
        int row = AddNode("tr");
        if (row >= 0)
            open_.push_back(row);
    }

    void EndTag(const std::string& name) {
        if (name == "title") {
            inTitle_ = false;
            return;
        }
        if (name == "br") {
            // "</br>" is taken as a line break, as browsers do.
            AddNode("br");
            return;
        }
        bool boundary = IsOneOf(name, kScopeBoundaries) || name == "tr";
        std::size_t depth = FindInScope(name, boundary);
        if (boundary && depth > 0) {
            std::size_t table = FindInScope("table", true);
            if (name != "table" && depth < table)
                return;  // belongs to an enclosing table
        }
        bool formatting = IsOneOf(name, kFormattingElements);
        // A formatting end tag does not reach out of a block opened inside it; the block keeps the look.
        for (std::size_t inner = depth + 1; formatting && depth > 0 && inner < open_.size(); ++inner) {
            if (IsBlockElement(OpenTag(inner)))
                return;
        }
        if (depth == 0)
            return;
        std::vector<int> reopen;
        if (formatting) {
            for (std::size_t inner = depth + 1; inner < open_.size(); ++inner) {
                if (IsOneOf(OpenTag(inner), kFormattingElements))
                    reopen.push_back(open_[inner]);
            }
        }
        PopTo(depth);
        for (int original : reopen) {
            if (static_cast<int>(open_.size()) >= kMaxNestingDepth)
                break;
            int copy = AddNode(tree_.nodes[static_cast<std::size_t>(original)].tag);
            if (copy < 0)
                break;
            tree_.nodes[static_cast<std::size_t>(copy)].attributes =
                tree_.nodes[static_cast<std::size_t>(original)].attributes;
            open_.push_back(copy);
        }
    }

    HtmlTreeEvents& events_;
    HtmlTree tree_;
    std::vector<int> open_;  // the open elements, the body first
    std::set<std::string> requestedPictures_;
    bool inTitle_ = false;
};

}  // namespace

const std::string* HtmlNode::Attribute(std::string_view name) const {
    if (!attributes)
        return nullptr;
    for (const HtmlAttribute& attribute : *attributes) {
        if (attribute.name == name)
            return &attribute.value;
    }
    return nullptr;
}

bool IsBlockElement(std::string_view tag) {
    return IsOneOf(tag, kBlockElements);
}

HtmlTree BuildHtmlTree(std::string_view source, HtmlTreeEvents& events) {
    if (source.size() > kMaxDocumentBytes)
        source = source.substr(0, kMaxDocumentBytes);
    HtmlTokenizer tokenizer(source);
    TreeBuilder builder(events);
    HtmlToken token;
    while (tokenizer.Next(token))
        builder.Add(token);
    return builder.Finish();
}

}  // namespace quillcrest
