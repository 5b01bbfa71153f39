#pragma once

#include <optional>
#include <string>

namespace quillcrest {

// Magnitudes beyond this are read as this, so that no text can overflow the result; every caller's own range
// lies far below it.
inline constexpr long long kDecimalMagnitudeLimit = 1'000'000'000'000'000'000LL;

// Reads text as a decimal integer: an optional "+" or "-" followed by at least one digit and nothing else (no
// blanks, no "$" or "0x"). Answers std::nullopt when the text is not such a number.
std::optional<long long> ParseDecimal(const std::string& text);

}  // namespace quillcrest
