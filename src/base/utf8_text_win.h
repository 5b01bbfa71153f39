#pragma once

#include <string>
#include <string_view>

#include "base/utf8_text.h"

namespace quillcrest {

// Paths and command lines are UTF-8 inside the program and UTF-16 at the W functions of Windows; these convert
// at that boundary, losing nothing (see utf8_text.h).
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows keeps UTF-16 in wchar_t");

inline std::string Utf8FromWide(std::wstring_view text) {
    return Utf8FromUtf16(std::u16string(text.begin(), text.end()));
}

inline std::wstring WideFromUtf8(std::string_view text) {
    const std::u16string wide = Utf16FromUtf8(text);
    return std::wstring(wide.begin(), wide.end());
}

}  // namespace quillcrest
