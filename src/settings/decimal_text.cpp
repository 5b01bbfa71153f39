#include "settings/decimal_text.h"

namespace quillcrest {

std::optional<long long> ParseDecimal(const std::string& text) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == text.size())
        return std::nullopt;
    long long magnitude = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c < '0' || c > '9')
            return std::nullopt;
        const int digit = c - '0';
        magnitude = magnitude > (kDecimalMagnitudeLimit - digit) / 10 ? kDecimalMagnitudeLimit : magnitude * 10 + digit;
    }
    return negative ? -magnitude : magnitude;
}

}  // namespace quillcrest
