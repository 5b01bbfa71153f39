#include "settings/os_version_win.h"

#include <windows.h>

namespace quillcrest {

OsVersionInfo ReadOsVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    static_assert(sizeof(OSVERSIONINFOA) == 148, "GetVersionExA expects the 148-byte record");
    OsVersionInfo version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExA(&info))
        return version;
#pragma GCC diagnostic pop
    version.valid = true;
    version.platformId = info.dwPlatformId;
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    return version;
}

}  // namespace quillcrest
