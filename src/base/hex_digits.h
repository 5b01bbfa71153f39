#pragma once

#include <cstdint>
#include <string>

namespace quillcrest {

// The small hexadecimal digit of a value 0..15.
char HexDigit(unsigned value);
// Appends the byte as two small hexadecimal digits.
void AppendHexByte(std::string& out, std::uint8_t byte);
// The value of a hexadecimal digit of either case; -1 for any other character.
int HexDigitValue(char c);

}  // namespace quillcrest
