#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillcrest {

// Letter case as the program's stored and received texts have it: only the ASCII letters A-Z and a-z have a
// case. Bytes above 127 stand for different letters in different code pages, so they compare exactly and are
// never changed.

inline char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Makes the ASCII capitals among length characters small, in place.
void LowerAsciiLetters(char* text, std::size_t length);

// The text with its ASCII capitals made small.
std::string AsciiLowerCase(std::string text);

// Whether a and b hold the same bytes apart from the case of ASCII letters; blanks and every other byte count.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// Whether text begins with prefix, apart from the case of ASCII letters.
bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);

}  // namespace quillcrest
