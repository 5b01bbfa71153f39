#include "settings/process_facts_win.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "base/utf8_text_win.h"
#include "settings/exe_dir.h"
#include "settings/os_version_win.h"

namespace quillcrest {
namespace {

constexpr DWORD kPathBufferChars = 260;
// The longest path Windows hands out at all; a module path never needs a larger buffer.
constexpr DWORD kMaxLongPathChars = 32768;

// The module path through GetModuleFileNameA or W. A path that fills the buffer was cut short: a Run value or folder
// made from it would name something else, so grow and ask again.
template <typename Char, typename Query>
std::basic_string<Char> ModulePath(Query query) {
    DWORD chars = kPathBufferChars;
    while (true) {
        std::vector<Char> buffer(chars);
        const DWORD length = query(buffer.data(), chars);
        if (length == 0)
            return {};
        if (length < chars)
            return std::basic_string<Char>(buffer.data(), length);
        if (chars == kMaxLongPathChars)
            return {};
        chars = std::min(chars * 2, kMaxLongPathChars);
    }
}

}  // namespace

std::string GetSysDir() {
    char buffer[kPathBufferChars];
    const UINT length = ::GetSystemDirectoryA(buffer, kPathBufferChars);
    // A length of the buffer or more is the size the call would need: nothing was copied then.
    if (length == 0 || length >= kPathBufferChars)
        return std::string();
    return std::string(buffer, length);
}

std::string GetExePathUtf8() {
    return Utf8FromWide(
        ModulePath<wchar_t>([](wchar_t* buffer, DWORD chars) { return ::GetModuleFileNameW(nullptr, buffer, chars); }));
}

std::string GetExeDirUtf8() {
    const std::string path = GetExePathUtf8();
    return path.empty() ? std::string() : ExeDirOf(path);
}

std::string GetExePathAnsi() {
    return ModulePath<char>([](char* buffer, DWORD chars) { return ::GetModuleFileNameA(nullptr, buffer, chars); });
}

bool IsWinNT() {
    const OsVersionInfo version = ReadOsVersion();
    return version.valid && version.platformId == kPlatformNT;
}

}  // namespace quillcrest
