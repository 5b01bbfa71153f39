#pragma once

#include <string>

namespace quillcrest {

// The "VORLANKE" value under the machine's Run key: the program starts with Windows when it names this
// executable (letter case and surrounding quotes aside).
bool StartsWithWindows();
// Write or delete the value; both raise an Exception with the system's reason when the registry refuses (an
// administrator who did not elevate has no rights on HKEY_LOCAL_MACHINE).
void RegisterStartWithWindows();
void UnregisterStartWithWindows();

}  // namespace quillcrest
