#include "resolution/hosts_file_access_win.h"

#include <windows.h>

#include "base/win_handles_win.h"
#include "resolution/wide_text_win.h"

namespace quillcrest {
namespace {

constexpr DWORD kReadPieceSize = 256 * 1024;
// A text whose expansion keeps growing between the sizing call and the filling call (the environment changed
// in between) is given up after this many attempts.
constexpr int kExpandAttempts = 4;

FileReadState StateOfError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileReadState::Missing
                                                                          : FileReadState::Unreadable;
}

}  // namespace

std::optional<std::string> Win32HostsFileAccess::ExpandEnvironment(const std::string& text) {
    const std::optional<std::wstring> wide = WideFromWtf8(text);
    if (!wide)
        return std::nullopt;
    std::wstring expanded(wide->size() + 1, L'\0');
    for (int attempt = 0; attempt < kExpandAttempts; ++attempt) {
        const DWORD needed =
            ::ExpandEnvironmentStringsW(wide->c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
        if (needed == 0)
            return std::nullopt;
        if (needed <= expanded.size())
            return Wtf8FromWide(expanded.c_str(), needed - 1);
        expanded.assign(needed, L'\0');
    }
    return std::nullopt;
}

FileFacts Win32HostsFileAccess::Facts(const std::string& path) {
    FileFacts facts;
    const std::optional<std::wstring> wide = WideFromWtf8(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!wide) {
        facts.state = FileReadState::Unreadable;
    } else if (!::GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data)) {
        facts.state = StateOfError(::GetLastError());
    } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        // A folder by the file's name: the resolver can read no hosts file there.
        facts.state = FileReadState::Unreadable;
    } else {
        facts.state = FileReadState::Present;
        facts.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
        facts.lastWriteTime =
            (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
    }
    return facts;
}

FileReadState Win32HostsFileAccess::ReadPieces(const std::string& path,
                                               const std::function<void(std::string_view)>& consume) {
    const std::optional<std::wstring> wide = WideFromWtf8(path);
    if (!wide)
        return FileReadState::Unreadable;
    UniqueFile file(::CreateFileW(wide->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return StateOfError(::GetLastError());
    readBuffer_.resize(kReadPieceSize);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), readBuffer_.data(), kReadPieceSize, &read, nullptr))
            return FileReadState::Unreadable;
        if (read == 0)
            return FileReadState::Present;
        consume(std::string_view(readBuffer_.data(), read));
    }
}

}  // namespace quillcrest
