#pragma once

#include <string>
#include <string_view>

namespace quillcrest {

// Character classes and comparisons for HTML source text. Only ASCII letters have a case here: the text is in a
// single-byte code page whose upper half must pass through untouched.

inline bool IsHtmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

inline bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view TrimHtmlSpace(std::string_view text);

}  // namespace quillcrest
