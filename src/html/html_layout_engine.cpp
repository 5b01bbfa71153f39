#include "html/html_layout_engine.h"

#include <algorithm>

#include "base/ascii_case.h"
#include "html/html_length.h"
#include "html/html_text.h"

// The layout engine's entry point, its fonts and the styles elements pass down; block flow, lines and floating
// pictures have files of their own.

namespace quillcrest {
namespace {

constexpr const char* kMonospaceFace = "Courier New";

// Heading font sizes, <h1> to <h6>.
constexpr int kHeadingSizes[6] = {6, 5, 4, 3, 2, 1};

}  // namespace

int HtmlLayoutEngine::HeadingLevel(const std::string& tag) {
    if (tag.size() == 2 && tag[0] == 'h' && tag[1] >= '1' && tag[1] <= '6')
        return tag[1] - '0';
    return 0;
}

std::optional<HtmlAlign> HtmlLayoutEngine::ParseAlign(const std::string* value) {
    if (!value)
        return std::nullopt;
    std::string_view text = TrimHtmlSpace(*value);
    if (EqualIgnoringAsciiCase(text, "center") || EqualIgnoringAsciiCase(text, "middle"))
        return HtmlAlign::Center;
    if (EqualIgnoringAsciiCase(text, "right"))
        return HtmlAlign::Right;
    if (EqualIgnoringAsciiCase(text, "left") || EqualIgnoringAsciiCase(text, "justify"))
        return HtmlAlign::Left;
    return std::nullopt;
}

int HtmlLayoutEngine::Clamp(long long value, int low, int high) {
    return static_cast<int>(std::max<long long>(low, std::min<long long>(high, value)));
}

HtmlLayoutEngine::HtmlLayoutEngine(const HtmlTree& tree,
                                   const HtmlPictureSizes& pictures,
                                   HtmlContainer& container,
                                   int dpi)
    : tree_(tree), pictures_(pictures), container_(container), dpi_(dpi) {}

HtmlLength HtmlLayoutEngine::Px(HtmlLength length) const {
    if (!length.percent)
        length.value = Px(length.value);
    return length;
}

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

    int margin = margins ? Px(kHtmlPageMargin) : 0;
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
    style.font.pixelHeight = Px(kHtmlFontSizePixels[style.fontSize - 1]);
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

HtmlDisplayItem& HtmlLayoutEngine::Emit(HtmlDisplayItem::Kind kind, const HtmlRect& rect, const std::string* element) {
    layout_.items.emplace_back();
    HtmlDisplayItem& item = layout_.items.back();
    item.kind = kind;
    item.rect = rect;
    item.textBlock = textBlock_;
    if (element)
        item.element = *element;
    return item;
}

HtmlLayout LayOutHtml(const HtmlTree& tree,
                      const HtmlPictureSizes& pictures,
                      HtmlContainer& container,
                      int width,
                      bool margins,
                      int dpi) {
    HtmlLayoutEngine engine(tree, pictures, container, dpi);
    return engine.Run(width, margins);
}

}  // namespace quillcrest
