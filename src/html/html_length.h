#pragma once

#include <optional>
#include <string_view>

namespace quillcrest {

// A size attribute such as width="300" or width="50%".
struct HtmlLength {
    int value = 0;
    bool percent = false;

    // Pixels, with a percentage taken of whole.
    int Resolve(int whole) const;
};

// Reads the leading decimal digits of an attribute (trailing "px" and the like are ignored, as old browsers do);
// values above maxValue are cut to it, so no page can make the layout overflow. Nothing without digits.
std::optional<HtmlLength> ParseHtmlLength(std::string_view text, int maxValue);

// The same for a plain number, fallback when the text has no digits.
int ParseHtmlInteger(std::string_view text, int fallback, int maxValue);

}  // namespace quillcrest
