#pragma once

#include <string>

namespace quillcrest {

// Full path of the running executable as the process reports it.
std::string RunningExecutablePath();

// The "VORLANKE" value under the machine's Run key: the program starts with Windows when it holds this
// executable's path (letter case aside).
bool StartsWithWindows();
void RegisterStartWithWindows();
void UnregisterStartWithWindows();

}  // namespace quillcrest
