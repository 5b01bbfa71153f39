#pragma once

#include <string>

namespace quillcrest {

// The Windows system folder, without a trailing "\" (empty if the call fails).
std::string GetSysDir();
// The folder of the running executable, with its trailing "\".
std::string GetExeDir();
// True when GetVersionExA succeeds and reports the NT platform.
bool IsWinNT();

}  // namespace quillcrest
