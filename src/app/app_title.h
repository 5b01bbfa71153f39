#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/ascii_case.h"

namespace quillcrest {

// Lower-cases a run of characters in place. Windows passes CharLowerBuffA (the ANSI code page's rules);
// the default knows only ASCII.
using LowerCaseFn = std::function<void(char* text, size_t length)>;

// The title the application window carries before the program renames it: the file name of the executable
// (already OEM-to-ANSI converted) cut at its first ".", every character after the first lower-cased.
std::string DefaultAppTitle(std::string_view exePath, const LowerCaseFn& lower = LowerAsciiLetters);

// Name of the per-logon mutex that admits one running copy of an executable with this title.
std::string InstanceMutexName(std::string_view defaultTitle);

}  // namespace quillcrest
