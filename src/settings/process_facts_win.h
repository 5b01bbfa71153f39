#pragma once

#include <string>

namespace quillcrest {

// The full path of the running executable as the process reports it, however long; empty if the call fails.
std::string GetExePath();
// The Windows system folder, without a trailing "\" (empty if the call fails).
std::string GetSysDir();
// The folder of the running executable, with its trailing "\".
std::string GetExeDir();
// True when GetVersionExA succeeds and reports the NT platform.
bool IsWinNT();

}  // namespace quillcrest
