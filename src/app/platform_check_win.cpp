#include "app/platform_check_win.h"

#include "settings/os_version_win.h"

namespace quillcrest {

bool IsSupportedPlatform() {
    return IsSupportedPlatform(ReadOsVersion());
}

}  // namespace quillcrest
