#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quillcrest {

// Numbers as text in one form only, so that a text read back is the text written.

// A decimal number without sign, blanks or leading zeros ("0" itself excepted), at most largest.
std::optional<std::uint64_t> StrictDecimal(std::string_view text, std::uint64_t largest);

}  // namespace quillcrest
