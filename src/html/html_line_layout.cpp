#include <algorithm>
#include <tuple>

#include "html/html_layout_engine.h"
#include "html/html_text.h"

// Lines of the layout engine: text cut into words, words placed on lines that wrap between the edges floating
// pictures leave, and each finished line set on one baseline.

namespace quillcrest {

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
        int next = NextFloatBottom(flow, line.y);
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
    item.listMarker = true;
}

}  // namespace quillcrest
