#include "app/platform_check.h"

namespace quillcrest {

bool IsSupportedPlatform(const OsVersionInfo& version) {
    if (!version.valid || version.platformId != kPlatformNT)
        return false;
    if (version.major == 5)
        return version.minor == 1 || version.minor == 2;
    return version.major == 6;
}

}  // namespace quillcrest
