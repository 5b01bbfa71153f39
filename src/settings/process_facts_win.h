#pragma once

#include <string>

namespace quillcrest {

// Paths of the executable come in two forms that must not be mixed up. The UTF-8 form keeps every character of the
// path and is the one to build file and registry paths from (they go to the W functions); the ANSI form is what
// GetModuleFileNameA gives, characters outside the code page lost, and only forms texts such as the default
// application title.

// The full path of the running executable in UTF-8, however long; empty if the call fails.
std::string GetExePathUtf8();
// The folder of the running executable in UTF-8, with its trailing "\".
std::string GetExeDirUtf8();
// The full path of the running executable in the ANSI code page, however long; empty if the call fails.
std::string GetExePathAnsi();
// The Windows system folder, without a trailing "\" (empty if the call fails).
std::string GetSysDir();
// True when GetVersionExA succeeds and reports the NT platform.
bool IsWinNT();

}  // namespace quillcrest
