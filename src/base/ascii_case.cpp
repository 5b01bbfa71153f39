#include "base/ascii_case.h"

namespace quillcrest {

void LowerAsciiLetters(char* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        text[i] = AsciiLower(text[i]);
}

std::string AsciiLowerCase(std::string text) {
    LowerAsciiLetters(text.data(), text.size());
    return text;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace quillcrest
