#include <windows.h>

#include "watch/file_system_win.h"

#include <algorithm>
#include <utility>

#include "base/ansi_text_win.h"
#include "base/system_message_win.h"
#include "base/utf8_text_win.h"
#include "base/win_handles_win.h"

namespace quillcrest {
namespace {

// Largest piece handed to one ReadFile or WriteFile call, whose lengths are DWORDs.
constexpr std::size_t kChunkBytes = 1 << 20;

// path is UTF-8; the message is one of the program's texts, in the ANSI code page.
[[noreturn]] void RaiseFileError(const std::string& action, const std::string& path, DWORD code) {
    std::string message = "Cannot " + action + " \"" + AnsiFromUtf8(path) + "\"";
    const std::string cause = SystemMessageText(code);
    message += cause.empty() ? " (error " + std::to_string(code) + ")" : ": " + cause;
    throw EFileError(message, code);
}

UniqueFile OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    return UniqueFile(
        ::CreateFileW(WideFromUtf8(path).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

class WinWritableFile : public WritableFile {
  public:
    WinWritableFile(std::string path, UniqueFile file) : path_(std::move(path)), file_(std::move(file)) {}

    void Write(const std::string& bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const DWORD piece = static_cast<DWORD>(std::min(bytes.size() - done, kChunkBytes));
            DWORD written = 0;
            if (!::WriteFile(file_.get(), bytes.data() + done, piece, &written, nullptr))
                RaiseFileError("write", path_, ::GetLastError());
            if (written == 0)
                RaiseFileError("write", path_, ERROR_WRITE_FAULT);
            done += written;
        }
    }

    void Flush() override {
        if (!::FlushFileBuffers(file_.get()))
            RaiseFileError("flush", path_, ::GetLastError());
    }

    void Close() override {
        if (!::CloseHandle(file_.release()))
            RaiseFileError("close", path_, ::GetLastError());
    }

  private:
    std::string path_;
    UniqueFile file_;
};

}  // namespace

std::optional<std::string> WinFileSystem::ReadWhole(const std::string& path) {
    UniqueFile file = OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (!file) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return std::nullopt;
        RaiseFileError("read", path, code);
    }
    std::string contents;
    char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
            RaiseFileError("read", path, ::GetLastError());
        if (got == 0)
            return contents;
        contents.append(buffer, got);
    }
}

bool WinFileSystem::Exists(const std::string& path) {
    return ::GetFileAttributesW(WideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::unique_ptr<WritableFile> WinFileSystem::CreateForWriting(const std::string& path) {
    UniqueFile file = OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!file)
        RaiseFileError("create", path, ::GetLastError());
    return std::make_unique<WinWritableFile>(path, std::move(file));
}

void WinFileSystem::MoveReplacing(const std::string& from, const std::string& to) {
    if (!::MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        RaiseFileError("replace", to, ::GetLastError());
}

void WinFileSystem::Remove(const std::string& path) noexcept {
    ::DeleteFileW(WideFromUtf8(path).c_str());
}

}  // namespace quillcrest
