#include "settings/process_facts_win.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "settings/exe_dir.h"
#include "settings/os_version_win.h"

namespace quillcrest {
namespace {

constexpr DWORD kPathBufferChars = 260;
// The longest path Windows hands out at all; a module path never needs a larger buffer.
constexpr DWORD kMaxLongPathChars = 32768;

}  // namespace

std::string GetSysDir() {
    char buffer[kPathBufferChars];
    const UINT length = ::GetSystemDirectoryA(buffer, kPathBufferChars);
    // A length of the buffer or more is the size the call would need: nothing was copied then.
    if (length == 0 || length >= kPathBufferChars)
        return std::string();
    return std::string(buffer, length);
}

std::string GetExePath() {
    // A path that fills the buffer was cut short: a Run value or folder made from it would name something else,
    // so grow and ask again.
    DWORD chars = kPathBufferChars;
    while (true) {
        std::vector<char> buffer(chars);
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), chars);
        if (length == 0)
            return std::string();
        if (length < chars)
            return std::string(buffer.data(), length);
        if (chars == kMaxLongPathChars)
            return std::string();
        chars = std::min(chars * 2, kMaxLongPathChars);
    }
}

std::string GetExeDir() {
    const std::string path = GetExePath();
    return path.empty() ? std::string() : ExeDirOf(path);
}

bool IsWinNT() {
    const OsVersionInfo version = ReadOsVersion();
    return version.valid && version.platformId == kPlatformNT;
}

}  // namespace quillcrest
