#include "resolution/wide_text_win.h"

#include <string_view>

#include "resolution/unicode_text.h"

namespace quillcrest {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows keeps UTF-16 in wchar_t");

std::optional<std::wstring> WideFromWtf8(const std::string& text) {
    const std::optional<std::u16string> units = Utf16FromWtf8(text);
    if (!units || units->find(u'\0') != std::u16string::npos)
        return std::nullopt;
    return std::wstring(units->begin(), units->end());
}

std::string Wtf8FromWide(const wchar_t* text, std::size_t length) {
    return Wtf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

}  // namespace quillcrest
