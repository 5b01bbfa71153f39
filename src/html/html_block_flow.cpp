#include <algorithm>

#include "html/html_layout_engine.h"
#include "html/html_length.h"

// Block flow of the layout engine: elements that start blocks, their margins, lists with their markers, and
// horizontal rules. Text inside a block goes to its lines (html_line_layout.cpp).

namespace quillcrest {
namespace {

constexpr int kListIndent = 40;
constexpr int kMarkerGap = 6;
constexpr int kRuleMargin = 8;
constexpr int kDefaultRuleThickness = 2;
// The bullet of Windows-1252.
constexpr const char* kBullet = "\x95";
constexpr HtmlColor kRuleShadow{0x80, 0x80, 0x80};
constexpr HtmlColor kRuleLight{0xDF, 0xDF, 0xDF};

// Layout recursion follows the tree, whose depth the builder caps; this only guards against a tree built some
// other way.
constexpr int kMaxLayoutDepth = kMaxNestingDepth * 2;

bool IsList(const std::string& tag) {
    return tag == "ul" || tag == "ol" || tag == "dir" || tag == "menu";
}

}  // namespace

void HtmlLayoutEngine::LayOutBlockContent(int node,
                                          const HtmlStyle& style,
                                          int left,
                                          int right,
                                          Flow& flow,
                                          int depth) {
    ++textBlock_;
    Line line;
    line.left = left;
    line.right = std::max(left, right);
    line.align = style.align;
    line.noWrap = style.noWrap;
    LayOutChildren(node, style, line, flow, depth);
    EndLine(line, flow);
    for (Piece& deferred : line.deferredFloats)
        PlaceFloat(deferred, FlowBottom(flow), line, flow);
    // Text that follows in the enclosing block is a run of its own.
    ++textBlock_;
}

void HtmlLayoutEngine::LayOutChildren(int node, const HtmlStyle& style, Line& line, Flow& flow, int depth) {
    if (depth > kMaxLayoutDepth)
        return;
    const HtmlNode& parent = NodeAt(node);
    for (int child : parent.children) {
        const HtmlNode& childNode = NodeAt(child);
        if (childNode.IsText())
            AddText(childNode.text, style, &parent.tag, line, flow);
        else
            LayOutElement(child, style, line, flow, depth + 1);
    }
}

void HtmlLayoutEngine::LayOutElement(int index, const HtmlStyle& style, Line& line, Flow& flow, int depth) {
    const HtmlNode& node = NodeAt(index);
    const std::string& tag = node.tag;
    if (tag == "br") {
        FlushWord(line, flow);
        CommitLine(line, flow, &style);
        ++textBlock_;
        Clear(flow, node.Attribute("clear"));
    } else if (tag == "img") {
        LayOutPicture(node, style, line, flow);
    } else if (tag == "table") {
        EndLine(line, flow);
        LayOutTable(index, style, line.left, line.right, flow, depth);
    } else if (tag == "hr") {
        EndLine(line, flow);
        LayOutRule(node, line.left, line.right, flow);
    } else if (IsBlockElement(tag)) {
        EndLine(line, flow);
        LayOutBlock(index, style, line, flow, depth);
    } else {
        LayOutChildren(index, InlineStyle(node, style), line, flow, depth);
    }
}

void HtmlLayoutEngine::LayOutBlock(int index, const HtmlStyle& parent, const Line& outer, Flow& flow, int depth) {
    const HtmlNode& node = NodeAt(index);
    const std::string& tag = node.tag;
    HtmlStyle style = BlockStyle(node, parent);
    int left = outer.left;
    int right = outer.right;
    int margin = 0;
    bool list = IsList(tag);
    if (tag == "p" || tag == "blockquote" || tag == "dl" || tag == "pre" || tag == "xmp" || tag == "listing")
        margin = style.font.pixelHeight;
    else if (HeadingLevel(tag))
        margin = style.font.pixelHeight * 2 / 3;
    else if (list && lists_.empty())
        margin = style.font.pixelHeight;

    if (list) {
        left += Px(kListIndent);
        ListState state;
        state.ordered = tag == "ol";
        if (const std::string* start = node.Attribute("start"))
            state.counter = ParseHtmlInteger(*start, 1, kMaxElementWidth) - 1;
        lists_.push_back(state);
    } else if (tag == "blockquote") {
        left += Px(kListIndent);
        right -= Px(kListIndent);
    } else if (tag == "dd") {
        left += Px(kListIndent);
    } else if (tag == "li") {
        // An item opened before the previous one showed anything: that one's marker goes first.
        if (flow.marker)
            OpenBlockArea(flow);
        Marker marker;
        marker.style = style;
        marker.right = left - Px(kMarkerGap);
        if (!lists_.empty() && lists_.back().ordered) {
            lists_.back().counter = std::min(lists_.back().counter + 1, kMaxElementWidth);
            marker.text = std::to_string(lists_.back().counter) + ".";
        } else {
            marker.text = kBullet;
        }
        flow.marker = std::move(marker);
    }

    AddMargin(flow, margin);
    LayOutBlockContent(index, style, left, std::max(left, right), flow, depth);
    // An empty item still shows its marker, on a line of its own.
    if (tag == "li" && flow.marker)
        OpenBlockArea(flow);
    AddMargin(flow, margin);
    if (list)
        lists_.pop_back();
}

void HtmlLayoutEngine::LayOutRule(const HtmlNode& node, int left, int right, Flow& flow) {
    AddMargin(flow, Px(kRuleMargin));
    int top = OpenBlockArea(flow);
    auto [edgeLeft, edgeRight] = Edges(flow, top, left, right);
    int available = edgeRight - edgeLeft;
    int width = available;
    const std::string* widthAttribute = node.Attribute("width");
    std::optional<HtmlLength> length =
        widthAttribute ? ParseHtmlLength(*widthAttribute, kMaxElementWidth) : std::nullopt;
    if (length)
        length = Px(*length);
    if (length)
        width = std::min(length->Resolve(available), available);
    if (measure_ != Measure::None)
        width = (length && !length->percent) ? length->value : 0;
    const std::string* sizeAttribute = node.Attribute("size");
    int thickness = sizeAttribute ? ParseHtmlInteger(*sizeAttribute, kDefaultRuleThickness, kMaxRuleThickness)
                                  : kDefaultRuleThickness;
    thickness = std::max(Px(thickness), 1);
    const int line = std::max(Px(1), 1);
    HtmlAlign align = ParseAlign(node.Attribute("align")).value_or(HtmlAlign::Center);
    int x = edgeLeft;
    if (measure_ == Measure::None && align == HtmlAlign::Center)
        x += (available - width) / 2;
    else if (measure_ == Measure::None && align == HtmlAlign::Right)
        x += available - width;

    const std::string* element = &node.tag;
    if (node.Attribute("noshade")) {
        Emit(HtmlDisplayItem::Kind::Fill, {x, top, width, thickness}, element).color = kRuleShadow;
    } else {
        Emit(HtmlDisplayItem::Kind::Fill, {x, top, width, thickness}, element).color = kRuleLight;
        Emit(HtmlDisplayItem::Kind::Fill, {x, top, width, line}, element).color = kRuleShadow;
        Emit(HtmlDisplayItem::Kind::Fill, {x, top, line, thickness}, element).color = kRuleShadow;
    }
    flow.y = top + thickness;
    flow.extentRight = std::max(flow.extentRight, x + width);
    AddMargin(flow, Px(kRuleMargin));
}

void HtmlLayoutEngine::AddMargin(Flow& flow, int margin) {
    flow.pendingMargin = std::max(flow.pendingMargin, margin);
}

// Starts content that is not a line (a table, a rule, an empty list item) at the flow's position: applies the
// pending margin and places a list marker waiting for its item's first content.
int HtmlLayoutEngine::OpenBlockArea(Flow& flow) {
    if (!flow.atTop)
        flow.y += flow.pendingMargin;
    flow.pendingMargin = 0;
    flow.atTop = false;
    if (flow.marker) {
        const HtmlFontMetrics& metrics = Metrics(FontIndex(flow.marker->style.font));
        int top = flow.y;
        PlaceMarker(flow, top + metrics.ascent);
        flow.y = std::max(flow.y, top + metrics.Height());
        return top;
    }
    return flow.y;
}

int HtmlLayoutEngine::FlowBottom(const Flow& flow) {
    return std::max(flow.y, flow.floatsBottom);
}

}  // namespace quillcrest
