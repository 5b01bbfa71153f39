#pragma once

#include "app/platform_check.h"

namespace quillcrest {

// The platform check for the running system.
bool IsSupportedPlatform();

}  // namespace quillcrest
