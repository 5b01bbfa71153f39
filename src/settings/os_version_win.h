#pragma once

#include "settings/os_version.h"

namespace quillcrest {

// GetVersionExA as the program sees it (the manifest decides what newer systems answer). The one place the
// program asks for its system's version.
OsVersionInfo ReadOsVersion();

}  // namespace quillcrest
