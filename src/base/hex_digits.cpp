#include "base/hex_digits.h"

namespace quillcrest {

char HexDigit(unsigned value) {
    return "0123456789abcdef"[value & 0x0F];
}

void AppendHexByte(std::string& out, std::uint8_t byte) {
    out += HexDigit(byte >> 4);
    out += HexDigit(byte);
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace quillcrest
