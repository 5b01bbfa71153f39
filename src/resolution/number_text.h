#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillcrest {

// Numbers as text in one form only, so that a text read back is the text written.

// A decimal number without sign, blanks or leading zeros ("0" itself excepted), at most largest.
std::optional<std::uint64_t> StrictDecimal(std::string_view text, std::uint64_t largest);

// The small hexadecimal digit of a value 0..15.
char HexDigit(unsigned value);
// Appends the byte as two small hexadecimal digits.
void AppendHexByte(std::string& out, std::uint8_t byte);
// The value of a hexadecimal digit of either case; -1 for any other character.
int HexDigitValue(char c);

}  // namespace quillcrest
