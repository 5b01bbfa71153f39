#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace quillcrest {

// WTF-8 names and paths of the model (unicode_text.h) at the wide functions of Windows.

// The UTF-16 form of text; nullopt when text is not WTF-8 or holds a NUL, which a wide function would take for
// its end, so that a name never opens a key or file other than the one it names.
std::optional<std::wstring> WideFromWtf8(const std::string& text);

// The WTF-8 form of length UTF-16 units.
std::string Wtf8FromWide(const wchar_t* text, std::size_t length);

}  // namespace quillcrest
