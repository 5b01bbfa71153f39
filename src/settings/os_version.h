#pragma once

#include <cstdint>

namespace quillcrest {

// What GetVersionExA reported; `valid` is false when the call failed.
struct OsVersionInfo {
    bool valid = false;
    uint32_t platformId = 0;
    uint32_t major = 0;
    uint32_t minor = 0;
};

inline constexpr uint32_t kPlatformWin32s = 0;
inline constexpr uint32_t kPlatformWindows9x = 1;
inline constexpr uint32_t kPlatformNT = 2;

}  // namespace quillcrest
