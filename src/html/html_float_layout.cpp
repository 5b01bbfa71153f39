#include <algorithm>
#include <tuple>

#include "base/ascii_case.h"
#include "html/html_layout_engine.h"
#include "html/html_length.h"
#include "html/html_text.h"

// Pictures in the layout engine: sized from their attributes and natural size, then placed in a line or floated
// to an edge, where they narrow the lines beside them until the flow passes their bottom.

namespace quillcrest {

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

// The nearest bottom of the floats beside y, where the edges next widen; y itself when no float is beside it.
int HtmlLayoutEngine::NextFloatBottom(const Flow& flow, int y) {
    int next = y;
    for (const Float& placed : flow.floats) {
        if (placed.rect.y <= y && placed.rect.Bottom() > y)
            next = next == y ? placed.rect.Bottom() : std::min(next, placed.rect.Bottom());
    }
    return next;
}

void HtmlLayoutEngine::Clear(Flow& flow, const std::string* which) {
    if (!which)
        return;
    std::string_view side = TrimHtmlSpace(*which);
    bool all = EqualIgnoringAsciiCase(side, "all") || EqualIgnoringAsciiCase(side, "both");
    bool left = all || EqualIgnoringAsciiCase(side, "left");
    bool right = all || EqualIgnoringAsciiCase(side, "right");
    for (const Float& placed : flow.floats) {
        if ((placed.left && left) || (!placed.left && right))
            flow.y = std::max(flow.y, placed.rect.Bottom());
    }
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
        return std::min(Px(*length).Resolve(whole), kMaxPictureSide);
    };
    std::optional<int> width = dimension("width", right - left);
    std::optional<int> height = dimension("height", right - left);
    int naturalWidth = natural ? Clamp(Px(natural->width), 0, kMaxPictureSide) : 0;
    int naturalHeight = natural ? Clamp(Px(natural->height), 0, kMaxPictureSide) : 0;
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
    piece.border = Px(border ? ParseHtmlInteger(*border, defaultBorder, kMaxTableBorder) : defaultBorder);
    const std::string* hspace = node.Attribute("hspace");
    const std::string* vspace = node.Attribute("vspace");
    piece.hspace = Px(hspace ? ParseHtmlInteger(*hspace, 0, kMaxPictureSpacing) : 0);
    piece.vspace = Px(vspace ? ParseHtmlInteger(*vspace, 0, kMaxPictureSpacing) : 0);
    if (innerWidth == 0 && innerHeight == 0) {
        // No picture and no size asked for: nothing to show or to make room for.
        return;
    }
    piece.width = innerWidth + 2 * (piece.border + piece.hspace);
    piece.height = innerHeight + 2 * (piece.border + piece.vspace);

    const std::string* alignAttribute = node.Attribute("align");
    std::string_view align = alignAttribute ? TrimHtmlSpace(*alignAttribute) : std::string_view();
    if (EqualIgnoringAsciiCase(align, "left"))
        piece.align = PictureAlign::Left;
    else if (EqualIgnoringAsciiCase(align, "right"))
        piece.align = PictureAlign::Right;
    else if (EqualIgnoringAsciiCase(align, "top") || EqualIgnoringAsciiCase(align, "texttop"))
        piece.align = PictureAlign::Top;
    else if (EqualIgnoringAsciiCase(align, "middle"))
        piece.align = PictureAlign::Middle;
    else if (EqualIgnoringAsciiCase(align, "absmiddle") || EqualIgnoringAsciiCase(align, "center"))
        piece.align = PictureAlign::AbsMiddle;
    else if (EqualIgnoringAsciiCase(align, "absbottom"))
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
        int next = NextFloatBottom(flow, y);
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

}  // namespace quillcrest
