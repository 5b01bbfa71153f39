#pragma once

#include <windows.h>

#include <string>

#include "base/win_handles_win.h"

namespace quillcrest {

// Conversions between the program's 8-bit texts (ANSI code page) and the UTF-16 strings of COM.
std::wstring WideFromAnsi(const std::string& text);
std::string AnsiFromWide(const wchar_t* text, std::size_t length);
std::string AnsiFromBstr(BSTR text);  // a null BSTR is the empty string, as COM defines it
// A UTF-8 text (a path) in the ANSI code page, for messages made of the program's 8-bit texts; characters the code
// page lacks are lost there, as the system's own A functions would lose them.
std::string AnsiFromUtf8(const std::string& text);
// Raises std::bad_alloc when the string cannot be allocated.
UniqueBstr BstrFromAnsi(const std::string& text);

}  // namespace quillcrest
