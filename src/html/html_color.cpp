#include "html/html_color.h"

#include <cstddef>

#include "base/ascii_case.h"
#include "base/hex_digits.h"
#include "html/html_text.h"

namespace quillcrest {
namespace {

struct NamedColor {
    const char* name;
    HtmlColor color;
};

constexpr NamedColor kNamedColors[] = {
    {"black", {0x00, 0x00, 0x00}},     {"silver", {0xC0, 0xC0, 0xC0}},    {"gray", {0x80, 0x80, 0x80}},
    {"grey", {0x80, 0x80, 0x80}},      {"white", {0xFF, 0xFF, 0xFF}},     {"maroon", {0x80, 0x00, 0x00}},
    {"red", {0xFF, 0x00, 0x00}},       {"purple", {0x80, 0x00, 0x80}},    {"fuchsia", {0xFF, 0x00, 0xFF}},
    {"green", {0x00, 0x80, 0x00}},     {"lime", {0x00, 0xFF, 0x00}},      {"olive", {0x80, 0x80, 0x00}},
    {"yellow", {0xFF, 0xFF, 0x00}},    {"navy", {0x00, 0x00, 0x80}},      {"blue", {0x00, 0x00, 0xFF}},
    {"teal", {0x00, 0x80, 0x80}},      {"aqua", {0x00, 0xFF, 0xFF}},      {"orange", {0xFF, 0xA5, 0x00}},
    {"cyan", {0x00, 0xFF, 0xFF}},      {"magenta", {0xFF, 0x00, 0xFF}},   {"darkblue", {0x00, 0x00, 0x8B}},
    {"darkred", {0x8B, 0x00, 0x00}},   {"darkgreen", {0x00, 0x64, 0x00}}, {"lightgrey", {0xD3, 0xD3, 0xD3}},
    {"lightgray", {0xD3, 0xD3, 0xD3}},
};

std::optional<HtmlColor> ParseHexDigits(std::string_view digits) {
    for (char c : digits) {
        if (HexDigitValue(c) < 0)
            return std::nullopt;
    }
    auto pair = [&](std::size_t at) {
        return static_cast<std::uint8_t>(HexDigitValue(digits[at]) * 16 + HexDigitValue(digits[at + 1]));
    };
    auto single = [&](std::size_t at) { return static_cast<std::uint8_t>(HexDigitValue(digits[at]) * 17); };
    if (digits.size() == 6)
        return HtmlColor{pair(0), pair(2), pair(4)};
    if (digits.size() == 3)
        return HtmlColor{single(0), single(1), single(2)};
    return std::nullopt;
}

}  // namespace

std::optional<HtmlColor> ParseHtmlColor(std::string_view text) {
    text = TrimHtmlSpace(text);
    if (!text.empty() && text.front() == '#')
        return ParseHexDigits(text.substr(1));
    for (const NamedColor& named : kNamedColors) {
        if (EqualIgnoringAsciiCase(text, named.name))
            return named.color;
    }
    if (text.size() == 6)
        return ParseHexDigits(text);
    return std::nullopt;
}

}  // namespace quillcrest
