#include "html/html_length.h"

#include <algorithm>

#include "html/html_text.h"

namespace quillcrest {

int HtmlLength::Resolve(int whole) const {
    if (!percent)
        return value;
    return static_cast<int>(static_cast<long long>(std::max(whole, 0)) * value / 100);
}

std::optional<HtmlLength> ParseHtmlLength(std::string_view text, int maxValue) {
    text = TrimHtmlSpace(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    HtmlLength length;
    std::string_view::size_type at = 0;
    bool anyDigit = false;
    while (at < text.size() && IsAsciiDigit(text[at])) {
        anyDigit = true;
        length.value = std::min(length.value * 10 + (text[at] - '0'), maxValue);
        ++at;
    }
    if (!anyDigit)
        return std::nullopt;
    // Fractions such as "50.5%" keep their whole part.
    while (at < text.size() && (IsAsciiDigit(text[at]) || text[at] == '.'))
        ++at;
    length.percent = at < text.size() && text[at] == '%';
    return length;
}

int ParseHtmlInteger(std::string_view text, int fallback, int maxValue) {
    std::optional<HtmlLength> length = ParseHtmlLength(text, maxValue);
    return length ? length->value : fallback;
}

}  // namespace quillcrest
