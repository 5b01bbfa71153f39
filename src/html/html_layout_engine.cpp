#include "html/html_layout_engine.h"

#include <algorithm>
#include <tuple>

#include "html/html_length.h"
#include "html/html_text.h"

namespace quillcrest {
namespace {

constexpr int kListIndent = 40;
constexpr int kMarkerGap = 6;
constexpr int kRuleMargin = 8;
constexpr int kDefaultRuleThickness = 2;
// The bullet of Windows-1252.
constexpr const char* kBullet = "\x95";
constexpr const char* kMonospaceFace = "Courier New";
constexpr HtmlColor kRuleShadow{0x80, 0x80, 0x80};
constexpr HtmlColor kRuleLight{0xDF, 0xDF, 0xDF};

// Layout recursion follows the tree, whose depth the builder caps; this only guards against a tree built some
// other way.
constexpr int kMaxLayoutDepth = kMaxNestingDepth * 2;

// Heading font sizes, <h1> to <h6>.
constexpr int kHeadingSizes[6] = {6, 5, 4, 3, 2, 1};

bool IsList(const std::string& tag) {
    return tag == "ul" || tag == "ol" || tag == "dir" || tag == "menu";
}

int HeadingLevel(const std::string& tag) {
    if (tag.size() == 2 && tag[0] == 'h' && tag[1] >= '1' && tag[1] <= '6')
        return tag[1] - '0';
    return 0;
}

std::optional<HtmlAlign> ParseAlign(const std::string* value) {
    if (!value)
        return std::nullopt;
    std::string_view text = TrimHtmlSpace(*value);
    if (EqualsIgnoringAsciiCase(text, "center") || EqualsIgnoringAsciiCase(text, "middle"))
        return HtmlAlign::Center;
    if (EqualsIgnoringAsciiCase(text, "right"))
        return HtmlAlign::Right;
    if (EqualsIgnoringAsciiCase(text, "left") || EqualsIgnoringAsciiCase(text, "justify"))
        return HtmlAlign::Left;
    return std::nullopt;
}

int Clamp(long long value, int low, int high) {
    return static_cast<int>(std::max<long long>(low, std::min<long long>(high, value)));
}

}  // namespace

HtmlLayoutEngine::HtmlLayoutEngine(const HtmlTree& tree, const HtmlPictureSizes& pictures, HtmlContainer& container)
    : tree_(tree), pictures_(pictures), container_(container) {}

HtmlLayout HtmlLayoutEngine::Run(int width, bool margins) {
    HtmlStyle style;
    style.font.face = kDefaultHtmlFontFace;
    SetFontSize(style, kDefaultHtmlFontSize);
    auto bodyAttribute = [&](std::string_view name) -> const std::string* {
        for (const HtmlAttribute& attribute : tree_.bodyAttributes) {
            if (attribute.name == name)
                return &attribute.value;
        }
        return nullptr;
    };
    if (const std::string* text = bodyAttribute("text"))
        style.color = ParseHtmlColor(*text).value_or(style.color);
    if (const std::string* link = bodyAttribute("link"))
        linkColor_ = ParseHtmlColor(*link).value_or(linkColor_);

    int margin = margins ? kHtmlPageMargin : 0;
    width = Clamp(width, 0, kMaxElementWidth);
    Flow flow;
    flow.y = margin;
    LayOutBlockContent(0, style, margin, std::max(margin, width - margin), flow, 0);
    layout_.height = FlowBottom(flow) + margin;
    layout_.width = std::max(width, flow.extentRight + margin);
    return std::move(layout_);
}

int HtmlLayoutEngine::FontIndex(const HtmlFont& font) {
    auto found = fontIndexes_.find(font);
    if (found != fontIndexes_.end())
        return found->second;
    int index = static_cast<int>(layout_.fonts.size());
    layout_.fonts.push_back(font);
    HtmlFontMetrics metrics = container_.FontMetrics(font);
    metrics.ascent = Clamp(metrics.ascent, 0, kMaxPictureSide);
    metrics.descent = Clamp(metrics.descent, 0, kMaxPictureSide);
    metrics_.push_back(metrics);
    spaceWidths_.push_back(Clamp(container_.TextWidth(" ", font), 0, kMaxPictureSide));
    fontIndexes_.emplace(font, index);
    return index;
}

const HtmlFontMetrics& HtmlLayoutEngine::Metrics(int font) {
    return metrics_[static_cast<std::size_t>(font)];
}

int HtmlLayoutEngine::SpaceWidth(int font) {
    return spaceWidths_[static_cast<std::size_t>(font)];
}

void HtmlLayoutEngine::SetFontSize(HtmlStyle& style, int size) {
    style.fontSize = std::max(1, std::min(7, size));
    style.font.pixelHeight = kHtmlFontSizePixels[style.fontSize - 1];
}

HtmlStyle HtmlLayoutEngine::BlockStyle(const HtmlNode& node, const HtmlStyle& parent) {
    HtmlStyle style = parent;
    const std::string& tag = node.tag;
    if (int level = HeadingLevel(tag)) {
        SetFontSize(style, kHeadingSizes[level - 1]);
        style.font.bold = true;
    } else if (tag == "center") {
        style.align = HtmlAlign::Center;
    } else if (tag == "pre" || tag == "listing" || tag == "xmp" || tag == "plaintext") {
        style.font.face = kMonospaceFace;
    } else if (tag == "address") {
        style.font.italic = true;
    }
    if (tag != "ul" && tag != "ol")
        style.align = ParseAlign(node.Attribute("align")).value_or(style.align);
    return style;
}

HtmlStyle HtmlLayoutEngine::InlineStyle(const HtmlNode& node, const HtmlStyle& parent) {
    HtmlStyle style = parent;
    const std::string& tag = node.tag;
    if (tag == "b" || tag == "strong") {
        style.font.bold = true;
    } else if (tag == "i" || tag == "em" || tag == "cite" || tag == "var" || tag == "dfn") {
        style.font.italic = true;
    } else if (tag == "u" || tag == "ins") {
        style.font.underline = true;
    } else if (tag == "s" || tag == "strike" || tag == "del") {
        style.font.strikeout = true;
    } else if (tag == "tt" || tag == "code" || tag == "kbd" || tag == "samp") {
        style.font.face = kMonospaceFace;
    } else if (tag == "big") {
        SetFontSize(style, style.fontSize + 1);
    } else if (tag == "small" || tag == "sub" || tag == "sup") {
        SetFontSize(style, style.fontSize - 1);
    } else if (tag == "font") {
        if (const std::string* face = node.Attribute("face")) {
            // A list of faces: the first one is asked for, and the platform substitutes if it lacks it.
            std::string_view first = TrimHtmlSpace(std::string_view(*face).substr(0, face->find(',')));
            if (!first.empty())
                style.font.face = std::string(first);
        }
        if (const std::string* size = node.Attribute("size")) {
            // "+1" and "-1" are relative to the default size.
            std::string_view text = TrimHtmlSpace(*size);
            char sign = text.empty() ? '\0' : text.front();
            if (sign == '+' || sign == '-')
                text.remove_prefix(1);
            if (std::optional<HtmlLength> value = ParseHtmlLength(text, 7)) {
                if (sign == '-')
                    SetFontSize(style, kDefaultHtmlFontSize - value->value);
                else if (sign == '+')
                    SetFontSize(style, kDefaultHtmlFontSize + value->value);
                else
                    SetFontSize(style, value->value);
            }
        }
        if (const std::string* color = node.Attribute("color"))
            style.color = ParseHtmlColor(*color).value_or(style.color);
    } else if (tag == "a" && node.link >= 0) {
        style.link = node.link;
        style.color = linkColor_;
        style.font.underline = true;
    }
    return style;
}

void HtmlLayoutEngine::LayOutBlockContent(int node,
                                          const HtmlStyle& style,
                                          int left,
                                          int right,
                                          Flow& flow,
                                          int depth) {
    Line line;
    line.left = left;
    line.right = std::max(left, right);
    line.align = style.align;
    line.noWrap = style.noWrap;
    LayOutChildren(node, style, line, flow, depth);
    EndLine(line, flow);
    for (Piece& deferred : line.deferredFloats)
        PlaceFloat(deferred, FlowBottom(flow), line, flow);
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
        left += kListIndent;
        ListState state;
        state.ordered = tag == "ol";
        if (const std::string* start = node.Attribute("start"))
            state.counter = ParseHtmlInteger(*start, 1, kMaxElementWidth) - 1;
        lists_.push_back(state);
    } else if (tag == "blockquote") {
        left += kListIndent;
        right -= kListIndent;
    } else if (tag == "dd") {
        left += kListIndent;
    } else if (tag == "li") {
        // An item opened before the previous one showed anything: that one's marker goes first.
        if (flow.marker)
            OpenBlockArea(flow);
        Marker marker;
        marker.style = style;
        marker.right = left - kMarkerGap;
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
    AddMargin(flow, kRuleMargin);
    int top = OpenBlockArea(flow);
    auto [edgeLeft, edgeRight] = Edges(flow, top, left, right);
    int available = edgeRight - edgeLeft;
    int width = available;
    const std::string* widthAttribute = node.Attribute("width");
    std::optional<HtmlLength> length =
        widthAttribute ? ParseHtmlLength(*widthAttribute, kMaxElementWidth) : std::nullopt;
    if (length)
        width = std::min(length->Resolve(available), available);
    if (measure_ != Measure::None)
        width = (length && !length->percent) ? length->value : 0;
    const std::string* sizeAttribute = node.Attribute("size");
    int thickness = sizeAttribute ? ParseHtmlInteger(*sizeAttribute, kDefaultRuleThickness, kMaxRuleThickness)
                                  : kDefaultRuleThickness;
    thickness = std::max(thickness, 1);
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
        Emit(HtmlDisplayItem::Kind::Fill, {x, top, width, 1}, element).color = kRuleShadow;
        Emit(HtmlDisplayItem::Kind::Fill, {x, top, 1, thickness}, element).color = kRuleShadow;
    }
    flow.y = top + thickness;
    flow.extentRight = std::max(flow.extentRight, x + width);
    AddMargin(flow, kRuleMargin);
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

std::pair<int, int> HtmlLayoutEngine::Edges(Flow& flow, int y, int left, int right) {
    int edgeLeft = left;
    int edgeRight = right;
    for (const Float& placed : flow.floats) {
        if (placed.rect.y > y || placed.rect.Bottom() <= y)
            continue;
        if (placed.left)
            edgeLeft = std::max(edgeLeft, placed.rect.Right());
        else
            edgeRight = std::min(edgeRight, placed.rect.x);
    }
    return {edgeLeft, std::max(edgeLeft, edgeRight)};
}

void HtmlLayoutEngine::Clear(Flow& flow, const std::string* which) {
    if (!which)
        return;
    std::string_view side = TrimHtmlSpace(*which);
    bool all = EqualsIgnoringAsciiCase(side, "all") || EqualsIgnoringAsciiCase(side, "both");
    bool left = all || EqualsIgnoringAsciiCase(side, "left");
    bool right = all || EqualsIgnoringAsciiCase(side, "right");
    for (const Float& placed : flow.floats) {
        if ((placed.left && left) || (!placed.left && right))
            flow.y = std::max(flow.y, placed.rect.Bottom());
    }
}

int HtmlLayoutEngine::FlowBottom(const Flow& flow) {
    return std::max(flow.y, flow.floatsBottom);
}

void HtmlLayoutEngine::AddText(const std::string& text,
                               const HtmlStyle& style,
                               const std::string* element,
                               Line& line,
                               Flow& flow) {
    std::size_t at = 0;
    while (at < text.size()) {
        if (IsHtmlSpace(text[at])) {
            while (at < text.size() && IsHtmlSpace(text[at]))
                ++at;
            MarkSpace(style, element, line, flow);
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && !IsHtmlSpace(text[end]))
            ++end;
        Piece piece;
        piece.content = text.substr(at, end - at);
        piece.font = FontIndex(style.font);
        piece.color = style.color;
        piece.link = style.link;
        piece.element = element;
        piece.width = Clamp(container_.TextWidth(piece.content, style.font), 0, kUnboundedWidth);
        line.wordWidth = Clamp(static_cast<long long>(line.wordWidth) + piece.width, 0, kUnboundedWidth);
        AppendPiece(std::move(piece), line.word);
        at = end;
    }
}

void HtmlLayoutEngine::MarkSpace(const HtmlStyle& style, const std::string* element, Line& line, Flow& flow) {
    FlushWord(line, flow);
    if (line.pieces.empty() || line.spacePending)
        return;
    line.spacePending = true;
    line.space = Piece{};
    line.space.content = " ";
    line.space.font = FontIndex(style.font);
    line.space.color = style.color;
    line.space.link = style.link;
    line.space.element = element;
    line.space.width = SpaceWidth(line.space.font);
}

void HtmlLayoutEngine::FlushWord(Line& line, Flow& flow) {
    if (line.word.empty())
        return;
    std::vector<Piece> word = std::move(line.word);
    int width = line.wordWidth;
    line.word.clear();
    line.wordWidth = 0;
    PlaceUnit(word, width, line, flow);
}

// Puts an unbreakable unit on the line, starting a new line first when it does not fit.
void HtmlLayoutEngine::PlaceUnit(std::vector<Piece>& pieces, int width, Line& line, Flow& flow) {
    OpenLine(line, flow);
    bool wraps = !line.noWrap && measure_ != Measure::Maximum;
    int spaceWidth = line.spacePending ? line.space.width : 0;
    auto [left, right] = Edges(flow, line.y, line.left, line.right);
    if (wraps && !line.pieces.empty() && line.width + spaceWidth + width > right - left) {
        CommitLine(line, flow);
        OpenLine(line, flow);
        spaceWidth = 0;
        std::tie(left, right) = Edges(flow, line.y, line.left, line.right);
    }
    // On an empty line narrowed by floats, a unit that does not fit goes down past them.
    while (wraps && line.pieces.empty() && width > right - left) {
        int next = line.y;
        for (const Float& placed : flow.floats) {
            if (placed.rect.y <= line.y && placed.rect.Bottom() > line.y)
                next = next == line.y ? placed.rect.Bottom() : std::min(next, placed.rect.Bottom());
        }
        if (next == line.y)
            break;
        line.y = next;
        std::tie(left, right) = Edges(flow, line.y, line.left, line.right);
    }
    if (line.spacePending && !line.pieces.empty()) {
        line.width += spaceWidth;
        AppendPiece(line.space, line.pieces);
    }
    line.spacePending = false;
    for (Piece& piece : pieces)
        AppendPiece(std::move(piece), line.pieces);
    line.width = Clamp(static_cast<long long>(line.width) + width, 0, kUnboundedWidth);
}

// Joins text to the previous piece when nothing but the words differs, so a line in one style is one item.
void HtmlLayoutEngine::AppendPiece(Piece piece, std::vector<Piece>& pieces) {
    if (!piece.picture && !pieces.empty()) {
        Piece& last = pieces.back();
        if (!last.picture && last.font == piece.font && last.color == piece.color && last.link == piece.link &&
            last.element == piece.element) {
            last.content += piece.content;
            last.width += piece.width;
            return;
        }
    }
    pieces.push_back(std::move(piece));
}

void HtmlLayoutEngine::OpenLine(Line& line, Flow& flow) {
    if (line.open)
        return;
    if (!flow.atTop)
        flow.y += flow.pendingMargin;
    flow.pendingMargin = 0;
    flow.atTop = false;
    line.open = true;
    line.y = flow.y;
    // Nothing is placed above the flow's position any more, so floats that end there no longer narrow anything.
    flow.floats.erase(std::remove_if(flow.floats.begin(), flow.floats.end(),
                                     [&](const Float& placed) { return placed.rect.Bottom() <= flow.y; }),
                      flow.floats.end());
}

void HtmlLayoutEngine::EndLine(Line& line, Flow& flow) {
    FlushWord(line, flow);
    CommitLine(line, flow);
}

// Places the line's pieces on a common baseline and moves the flow below the line. A line break (breakStyle set)
// makes a line even when empty, as tall as its font.
void HtmlLayoutEngine::CommitLine(Line& line, Flow& flow, const HtmlStyle* breakStyle) {
    if (line.pieces.empty() && !breakStyle) {
        line.open = false;
        line.spacePending = false;
        return;
    }
    OpenLine(line, flow);
    int ascent = 0;
    int descent = 0;
    auto include = [&](int pieceAscent, int pieceDescent) {
        ascent = std::max(ascent, pieceAscent);
        descent = std::max(descent, pieceDescent);
    };
    int topAlignedHeight = 0;
    for (const Piece& piece : line.pieces) {
        if (!piece.picture) {
            const HtmlFontMetrics& metrics = Metrics(piece.font);
            include(metrics.ascent, metrics.descent);
            continue;
        }
        int height = piece.height;
        switch (piece.align) {
            case PictureAlign::Middle:
                include((height + 1) / 2, height / 2);
                break;
            case PictureAlign::AbsMiddle: {
                int middle = (piece.strut.ascent - piece.strut.descent) / 2;
                include(middle + (height + 1) / 2, height / 2 - middle);
                break;
            }
            case PictureAlign::AbsBottom:
                include(height - piece.strut.descent, piece.strut.descent);
                break;
            case PictureAlign::Top:
                include(piece.strut.ascent, piece.strut.descent);
                topAlignedHeight = std::max(topAlignedHeight, height);
                break;
            default:
                include(height, 0);
                break;
        }
    }
    if (line.pieces.empty()) {
        const HtmlFontMetrics& metrics = Metrics(FontIndex(breakStyle->font));
        include(metrics.ascent, metrics.descent);
    }
    if (flow.marker) {
        const HtmlFontMetrics& metrics = Metrics(FontIndex(flow.marker->style.font));
        include(metrics.ascent, metrics.descent);
    }
    descent = std::max(descent, topAlignedHeight - ascent);
    int baseline = line.y + ascent;

    auto [left, right] = Edges(flow, line.y, line.left, line.right);
    int x = left;
    if (measure_ == Measure::None && line.align == HtmlAlign::Center)
        x += std::max(0, (right - left - line.width) / 2);
    else if (measure_ == Measure::None && line.align == HtmlAlign::Right)
        x += std::max(0, right - left - line.width);
    flow.extentRight = std::max(flow.extentRight, x + line.width);

    for (const Piece& piece : line.pieces) {
        if (piece.picture) {
            int top = piece.align == PictureAlign::Top ? line.y : baseline - piece.height;
            if (piece.align == PictureAlign::Middle)
                top = baseline - (piece.height + 1) / 2;
            else if (piece.align == PictureAlign::AbsMiddle)
                top = baseline - (piece.strut.ascent - piece.strut.descent) / 2 - (piece.height + 1) / 2;
            else if (piece.align == PictureAlign::AbsBottom)
                top = baseline + piece.strut.descent - piece.height;
            EmitPicture(piece, x, top);
        } else {
            const HtmlFontMetrics& metrics = Metrics(piece.font);
            HtmlDisplayItem& item = Emit(HtmlDisplayItem::Kind::Text,
                                         {x, baseline - metrics.ascent, piece.width, metrics.Height()}, piece.element);
            item.content = piece.content;
            item.font = piece.font;
            item.color = piece.color;
            item.link = piece.link;
        }
        x += piece.width;
    }
    if (flow.marker)
        PlaceMarker(flow, baseline);

    flow.y = line.y + ascent + descent;
    line.pieces.clear();
    line.width = 0;
    line.open = false;
    line.spacePending = false;
    std::vector<Piece> deferred = std::move(line.deferredFloats);
    line.deferredFloats.clear();
    for (Piece& piece : deferred)
        PlaceFloat(piece, flow.y, line, flow);
}

void HtmlLayoutEngine::PlaceMarker(Flow& flow, int baseline) {
    Marker marker = std::move(*flow.marker);
    flow.marker.reset();
    int font = FontIndex(marker.style.font);
    int width = Clamp(container_.TextWidth(marker.text, marker.style.font), 0, kMaxElementWidth);
    static const std::string kElement = "li";
    HtmlDisplayItem& item =
        Emit(HtmlDisplayItem::Kind::Text,
             {marker.right - width, baseline - Metrics(font).ascent, width, Metrics(font).Height()}, &kElement);
    item.content = marker.text;
    item.font = font;
    item.color = marker.style.color;
}

void HtmlLayoutEngine::LayOutPicture(const HtmlNode& node, const HtmlStyle& style, Line& line, Flow& flow) {
    Piece piece;
    piece.picture = true;
    piece.element = &node.tag;
    piece.link = style.link;
    piece.color = style.color;
    piece.font = FontIndex(style.font);
    piece.strut = Metrics(piece.font);
    const std::string* source = node.Attribute("src");
    std::optional<HtmlSize> natural;
    if (source) {
        auto found = pictures_.find(*source);
        if (found != pictures_.end())
            natural = found->second;
        piece.content = *source;
    }
    piece.hasPicture = natural.has_value();
    auto [left, right] = Edges(flow, line.open ? line.y : flow.y, line.left, line.right);
    auto dimension = [&](const char* name, int whole) -> std::optional<int> {
        const std::string* text = node.Attribute(name);
        std::optional<HtmlLength> length = text ? ParseHtmlLength(*text, kMaxPictureSide) : std::nullopt;
        if (!length)
            return std::nullopt;
        return std::min(length->Resolve(whole), kMaxPictureSide);
    };
    std::optional<int> width = dimension("width", right - left);
    std::optional<int> height = dimension("height", right - left);
    int naturalWidth = natural ? Clamp(natural->width, 0, kMaxPictureSide) : 0;
    int naturalHeight = natural ? Clamp(natural->height, 0, kMaxPictureSide) : 0;
    if (width && !height)
        height =
            naturalWidth > 0 ? static_cast<int>(static_cast<long long>(*width) * naturalHeight / naturalWidth) : *width;
    if (height && !width)
        width = naturalHeight > 0 ? static_cast<int>(static_cast<long long>(*height) * naturalWidth / naturalHeight)
                                  : *height;
    int innerWidth = width.value_or(naturalWidth);
    int innerHeight = height.value_or(naturalHeight);
    // A linked picture gets a frame in the link colour unless the page says otherwise.
    int defaultBorder = style.link >= 0 ? 2 : 0;
    const std::string* border = node.Attribute("border");
    piece.border = border ? ParseHtmlInteger(*border, defaultBorder, kMaxTableBorder) : defaultBorder;
    const std::string* hspace = node.Attribute("hspace");
    const std::string* vspace = node.Attribute("vspace");
    piece.hspace = hspace ? ParseHtmlInteger(*hspace, 0, kMaxPictureSpacing) : 0;
    piece.vspace = vspace ? ParseHtmlInteger(*vspace, 0, kMaxPictureSpacing) : 0;
    if (innerWidth == 0 && innerHeight == 0) {
        // No picture and no size asked for: nothing to show or to make room for.
        return;
    }
    piece.width = innerWidth + 2 * (piece.border + piece.hspace);
    piece.height = innerHeight + 2 * (piece.border + piece.vspace);

    const std::string* alignAttribute = node.Attribute("align");
    std::string_view align = alignAttribute ? TrimHtmlSpace(*alignAttribute) : std::string_view();
    if (EqualsIgnoringAsciiCase(align, "left"))
        piece.align = PictureAlign::Left;
    else if (EqualsIgnoringAsciiCase(align, "right"))
        piece.align = PictureAlign::Right;
    else if (EqualsIgnoringAsciiCase(align, "top") || EqualsIgnoringAsciiCase(align, "texttop"))
        piece.align = PictureAlign::Top;
    else if (EqualsIgnoringAsciiCase(align, "middle"))
        piece.align = PictureAlign::Middle;
    else if (EqualsIgnoringAsciiCase(align, "absmiddle") || EqualsIgnoringAsciiCase(align, "center"))
        piece.align = PictureAlign::AbsMiddle;
    else if (EqualsIgnoringAsciiCase(align, "absbottom"))
        piece.align = PictureAlign::AbsBottom;
    else
        piece.align = PictureAlign::Bottom;  // also for values the view does not know, such as "bpttom"

    FlushWord(line, flow);
    bool floats = piece.align == PictureAlign::Left || piece.align == PictureAlign::Right;
    if (floats && flow.floats.size() + line.deferredFloats.size() >= kMaxLiveFloats) {
        piece.align = PictureAlign::Bottom;
        floats = false;
    }
    if (floats) {
        if (line.open && !line.pieces.empty() && line.width + piece.width > right - left) {
            line.deferredFloats.push_back(std::move(piece));
            return;
        }
        if (!line.open)
            OpenLine(line, flow);
        PlaceFloat(piece, line.y, line, flow);
        return;
    }
    std::vector<Piece> unit;
    unit.push_back(std::move(piece));
    int unitWidth = unit.front().width;
    PlaceUnit(unit, unitWidth, line, flow);
}

void HtmlLayoutEngine::PlaceFloat(const Piece& piece, int y, Line& line, Flow& flow) {
    y = std::max(y, flow.lastFloatTop);
    auto [left, right] = Edges(flow, y, line.left, line.right);
    // A float that does not fit beside the floats already there goes down below the first of them to end.
    while (right - left < piece.width) {
        int next = y;
        for (const Float& placed : flow.floats) {
            if (placed.rect.y <= y && placed.rect.Bottom() > y)
                next = next == y ? placed.rect.Bottom() : std::min(next, placed.rect.Bottom());
        }
        if (next == y)
            break;
        y = next;
        std::tie(left, right) = Edges(flow, y, line.left, line.right);
    }
    bool onLeft = piece.align == PictureAlign::Left;
    int x = onLeft ? left : std::max(left, right - piece.width);
    Float placed;
    placed.left = onLeft;
    placed.rect = {x, y, piece.width, piece.height};
    flow.floats.push_back(placed);
    flow.lastFloatTop = y;
    flow.floatsBottom = std::max(flow.floatsBottom, placed.rect.Bottom());
    flow.extentRight = std::max(flow.extentRight, placed.rect.Right());
    EmitPicture(piece, x, y);
}

// The picture and its frame; top and x are the outer corner, spacing included.
void HtmlLayoutEngine::EmitPicture(const Piece& piece, int x, int top) {
    HtmlRect frame{x + piece.hspace, top + piece.vspace, piece.width - 2 * piece.hspace,
                   piece.height - 2 * piece.vspace};
    int border = piece.border;
    HtmlRect inner{frame.x + border, frame.y + border, frame.width - 2 * border, frame.height - 2 * border};
    if (piece.hasPicture) {
        HtmlDisplayItem& item = Emit(HtmlDisplayItem::Kind::Picture, inner, piece.element);
        item.content = piece.content;
        item.link = piece.link;
    }
    if (border > 0) {
        const HtmlRect sides[] = {{frame.x, frame.y, frame.width, border},
                                  {frame.x, frame.Bottom() - border, frame.width, border},
                                  {frame.x, frame.y + border, border, frame.height - 2 * border},
                                  {frame.Right() - border, frame.y + border, border, frame.height - 2 * border}};
        for (const HtmlRect& side : sides) {
            HtmlDisplayItem& item = Emit(HtmlDisplayItem::Kind::Fill, side, piece.element);
            item.color = piece.color;
            item.link = piece.link;
        }
    }
}

HtmlDisplayItem& HtmlLayoutEngine::Emit(HtmlDisplayItem::Kind kind, const HtmlRect& rect, const std::string* element) {
    layout_.items.emplace_back();
    HtmlDisplayItem& item = layout_.items.back();
    item.kind = kind;
    item.rect = rect;
    if (element)
        item.element = *element;
    return item;
}

HtmlLayout LayOutHtml(const HtmlTree& tree,
                      const HtmlPictureSizes& pictures,
                      HtmlContainer& container,
                      int width,
                      bool margins) {
    HtmlLayoutEngine engine(tree, pictures, container);
    return engine.Run(width, margins);
}

}  // namespace quillcrest
