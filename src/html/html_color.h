#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quillcrest {

struct HtmlColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    bool operator==(const HtmlColor& other) const {
        return red == other.red && green == other.green && blue == other.blue;
    }
    bool operator!=(const HtmlColor& other) const { return !(*this == other); }
};

// Reads a colour attribute: "#RRGGBB", the same six digits without "#" (old pages often leave it out), "#RGB", or
// one of the sixteen basic colour names and a few common others, letter case ignored. Nothing for anything else,
// so the element keeps the colour it inherits.
std::optional<HtmlColor> ParseHtmlColor(std::string_view text);

}  // namespace quillcrest
