#pragma once

#include "settings/os_version.h"

namespace quillcrest {

// Windows XP, Server 2003 and every version 6 system are supported; nothing older. Nothing newer is needed: the
// manifest declares Windows 8 as the newest system, so Windows 8.1 to 11 report version 6.2 to the program and
// pass; a higher version would come only from a system that ignores the manifest, which the program was never
// tried on.
bool IsSupportedPlatform(const OsVersionInfo& version);

}  // namespace quillcrest
