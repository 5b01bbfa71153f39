#include "settings/process_facts_win.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "settings/exe_dir.h"

namespace quillcrest {
namespace {

constexpr DWORD kPathBufferChars = 260;
// The longest path Windows hands out at all; a module path never needs a larger buffer.
constexpr DWORD kMaxLongPathChars = 32768;
constexpr DWORD kVersionInfoSize = 148;
static_assert(sizeof(OSVERSIONINFOA) == kVersionInfoSize, "OSVERSIONINFOA must have the documented size");

}  // namespace

std::string GetSysDir() {
    char buffer[kPathBufferChars];
    const UINT length = ::GetSystemDirectoryA(buffer, kPathBufferChars);
    // A length of the buffer or more is the size the call would need: nothing was copied then.
    if (length == 0 || length >= kPathBufferChars)
        return std::string();
    return std::string(buffer, length);
}

std::string GetExeDir() {
    // A path that fills the buffer was cut short, and its folder would be the wrong one: grow and ask again.
    DWORD chars = kPathBufferChars;
    while (true) {
        std::vector<char> buffer(chars);
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), chars);
        if (length == 0)
            return std::string();
        if (length < chars)
            return ExeDirOf(std::string(buffer.data(), length));
        if (chars == kMaxLongPathChars)
            return std::string();
        chars = std::min(chars * 2, kMaxLongPathChars);
    }
}

bool IsWinNT() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = kVersionInfoSize;
    if (!::GetVersionExA(&info))
        return false;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace quillcrest
