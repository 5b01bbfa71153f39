#pragma once

#include "settings/os_version.h"

namespace quillcrest {

// Windows XP, Server 2003 and every version 6 system are supported; nothing older and nothing newer, since a
// version 7 system would be one the program has never been tried on.
bool IsSupportedPlatform(const OsVersionInfo& version);

}  // namespace quillcrest
