#pragma once

#include "app/platform_check.h"

namespace quillcrest {

// GetVersionExA as the program sees it (the manifest decides what newer systems answer).
OsVersionInfo ReadOsVersion();
bool IsSupportedPlatform();

}  // namespace quillcrest
