#include "base/ansi_text_win.h"

#include <climits>
#include <new>

#include "base/utf8_text_win.h"

namespace quillcrest {

std::wstring WideFromAnsi(const std::string& text) {
    if (text.empty() || text.size() > INT_MAX)
        return std::wstring();
    const int sourceLength = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), sourceLength, nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), sourceLength, &wide[0], length);
    return wide;
}

std::string AnsiFromWide(const wchar_t* text, std::size_t length) {
    if (text == nullptr || length == 0 || length > INT_MAX)
        return std::string();
    const int sourceLength = static_cast<int>(length);
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text, sourceLength, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string ansi(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, sourceLength, &ansi[0], size, nullptr, nullptr);
    return ansi;
}

std::string AnsiFromUtf8(const std::string& text) {
    const std::wstring wide = WideFromUtf8(text);
    return AnsiFromWide(wide.data(), wide.size());
}

std::string AnsiFromBstr(BSTR text) {
    return text ? AnsiFromWide(text, ::SysStringLen(text)) : std::string();
}

UniqueBstr BstrFromAnsi(const std::string& text) {
    const std::wstring wide = WideFromAnsi(text);
    UniqueBstr bstr(::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
    if (!bstr)
        throw std::bad_alloc();
    return bstr;
}

}  // namespace quillcrest
