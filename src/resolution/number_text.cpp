#include "resolution/number_text.h"

namespace quillcrest {
namespace {

// More digits than any 64-bit number has.
constexpr std::size_t kLongestDecimal = 20;

}  // namespace

std::optional<std::uint64_t> StrictDecimal(std::string_view text, std::uint64_t largest) {
    if (text.empty() || text.size() > kLongestDecimal || (text.size() > 1 && text[0] == '0'))
        return std::nullopt;
    std::uint64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (number > (largest - digit) / 10)
            return std::nullopt;
        number = number * 10 + digit;
    }
    return number;
}

}  // namespace quillcrest
