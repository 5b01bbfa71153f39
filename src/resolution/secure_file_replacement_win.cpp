#include "resolution/secure_file_replacement_win.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "base/win_handles_win.h"
#include "resolution/wide_text_win.h"

namespace quillcrest {
namespace {

constexpr SECURITY_INFORMATION kKeptSecurity = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
// Largest piece handed to one WriteFile call, whose lengths are DWORDs.
constexpr std::size_t kWritePieceBytes = 1 << 20;
// Temporary names already taken (left by a run that was killed) are stepped over this often.
constexpr int kTemporaryNameAttempts = 16;
// A descriptor that grows between the call that sizes the buffer and the one that fills it is asked for again
// at most this often.
constexpr int kSecurityReadAttempts = 4;

// A change of the file refused with 5 may come from another program holding it open without sharing its
// deletion (the rename then fails with 5 on some systems, 32 on others): an open for deletion that shares
// everything tells which.
UndoItemOutcome RefusalOfChange(const std::wstring& target, DWORD error) {
    if (error == ERROR_ACCESS_DENIED) {
        const UniqueFile probe(::CreateFileW(target.c_str(), DELETE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
        if (!probe && ::GetLastError() == ERROR_SHARING_VIOLATION)
            return {UndoRefusal::FileInUse, ERROR_SHARING_VIOLATION};
    }
    return UndoOutcomeOfError(error);
}

// The owner and DACL of the file at path, self-relative, into descriptor; answers the error.
DWORD ReadSecurity(const std::wstring& path, std::vector<BYTE>& descriptor) {
    DWORD needed = 0;
    for (int attempt = 0; attempt < kSecurityReadAttempts; ++attempt) {
        if (::GetFileSecurityW(path.c_str(), kKeptSecurity, descriptor.data(), static_cast<DWORD>(descriptor.size()),
                               &needed))
            return ERROR_SUCCESS;
        const DWORD error = ::GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER)
            return error;
        descriptor.resize(needed);
    }
    return ERROR_INSUFFICIENT_BUFFER;
}

// Whether the file at path has exactly descriptor's owner and DACL already: then none is given to it. Wine
// writes a DACL it is given onto the file's Unix mode (the owner's full access becomes an executable file) even
// where it reads back the same.
bool SameSecurity(const std::wstring& path, const std::vector<BYTE>& descriptor) {
    std::vector<BYTE> own;
    if (ReadSecurity(path, own) != ERROR_SUCCESS)
        return false;
    const DWORD length = ::GetSecurityDescriptorLength(const_cast<BYTE*>(descriptor.data()));
    return ::GetSecurityDescriptorLength(own.data()) == length &&
           std::equal(descriptor.begin(), descriptor.begin() + length, own.begin());
}

// Enables a privilege of the process's token while it lives, and gives it back its earlier state.
class EnabledPrivilege {
  public:
    explicit EnabledPrivilege(const wchar_t* name) {
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token_.put()))
            return;
        TOKEN_PRIVILEGES wanted{};
        wanted.PrivilegeCount = 1;
        wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (!::LookupPrivilegeValueW(nullptr, name, &wanted.Privileges[0].Luid))
            return;
        DWORD size = sizeof previous_;
        // It answers success, with ERROR_NOT_ALL_ASSIGNED, for a privilege the token does not hold.
        adjusted_ = ::AdjustTokenPrivileges(token_.get(), FALSE, &wanted, sizeof previous_, &previous_, &size) &&
                    ::GetLastError() == ERROR_SUCCESS;
    }
    ~EnabledPrivilege() {
        if (adjusted_)
            ::AdjustTokenPrivileges(token_.get(), FALSE, &previous_, 0, nullptr, nullptr);
    }
    EnabledPrivilege(const EnabledPrivilege&) = delete;
    EnabledPrivilege& operator=(const EnabledPrivilege&) = delete;

  private:
    UniqueKernelHandle token_;
    TOKEN_PRIVILEGES previous_{};
    bool adjusted_ = false;
};

// Gives the open file the owner and DACL of descriptor exactly as they are (with the DACL's protection from
// inheritance), without working out inheritance anew.
DWORD GiveSecurity(HANDLE file, std::vector<BYTE>& descriptor) {
    if (::SetKernelObjectSecurity(file, kKeptSecurity, descriptor.data()))
        return ERROR_SUCCESS;
    const DWORD error = ::GetLastError();
    if (error != ERROR_INVALID_OWNER && error != ERROR_PRIVILEGE_NOT_HELD)
        return error;
    // An owner other than the caller's (SYSTEM, TrustedInstaller) is set only with this privilege.
    const EnabledPrivilege restore(L"SeRestorePrivilege");
    return ::SetKernelObjectSecurity(file, kKeptSecurity, descriptor.data()) ? ERROR_SUCCESS : ::GetLastError();
}

// A new file beside the target, removed when it goes unless it was renamed over the target.
class TemporaryFile {
  public:
    TemporaryFile() = default;
    ~TemporaryFile() {
        file_.reset();
        if (!path_.empty())
            ::DeleteFileW(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Makes a file of a name nobody holds, never opening one that is there (a link someone planted included).
    DWORD Create(const std::wstring& target) {
        for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
            std::wstring path =
                target + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(attempt) + L".undo";
            file_.reset(::CreateFileW(path.c_str(), GENERIC_WRITE | WRITE_DAC | WRITE_OWNER, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
            if (file_) {
                path_ = std::move(path);
                return ERROR_SUCCESS;
            }
            const DWORD error = ::GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
                return error;
        }
        return ERROR_FILE_EXISTS;
    }

    DWORD Write(const std::string& bytes) {
        for (std::size_t done = 0; done < bytes.size();) {
            const DWORD piece = static_cast<DWORD>(std::min(bytes.size() - done, kWritePieceBytes));
            DWORD written = 0;
            if (!::WriteFile(file_.get(), bytes.data() + done, piece, &written, nullptr))
                return ::GetLastError();
            if (written == 0)
                return ERROR_WRITE_FAULT;
            done += written;
        }
        return ::FlushFileBuffers(file_.get()) ? ERROR_SUCCESS : ::GetLastError();
    }

    DWORD Close() { return ::CloseHandle(file_.release()) ? ERROR_SUCCESS : ::GetLastError(); }
    // Renamed over the target: nothing is left to remove.
    void Renamed() { path_.clear(); }

    HANDLE handle() const { return file_.get(); }
    const std::wstring& path() const { return path_; }

  private:
    UniqueFile file_;
    std::wstring path_;
};

}  // namespace

UndoItemOutcome ReplaceFileKeepingSecurity(const std::string& path, const std::string& bytes) {
    const std::optional<std::wstring> target = WideFromWtf8(path);
    if (!target)
        return UndoOutcomeOfError(ERROR_INVALID_NAME);
    std::vector<BYTE> security;
    const DWORD securityError = ReadSecurity(*target, security);
    const bool exists = securityError == ERROR_SUCCESS;
    if (!exists && securityError != ERROR_FILE_NOT_FOUND && securityError != ERROR_PATH_NOT_FOUND) {
        if (securityError == ERROR_SHARING_VIOLATION)
            return {UndoRefusal::FileInUse, securityError};
        return {UndoRefusal::SecurityNotKept, securityError};
    }
    TemporaryFile temporary;
    if (const DWORD error = temporary.Create(*target))
        return UndoOutcomeOfError(error);
    if (const DWORD error = temporary.Write(bytes))
        return UndoOutcomeOfError(error);
    if (exists && !SameSecurity(temporary.path(), security)) {
        if (const DWORD error = GiveSecurity(temporary.handle(), security))
            return {UndoRefusal::SecurityNotKept, error};
    }
    if (const DWORD error = temporary.Close())
        return UndoOutcomeOfError(error);
    if (!::MoveFileExW(temporary.path().c_str(), target->c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return RefusalOfChange(*target, ::GetLastError());
    temporary.Renamed();
    return {};
}

UndoItemOutcome DeleteFileIfPresent(const std::string& path) {
    const std::optional<std::wstring> target = WideFromWtf8(path);
    if (!target)
        return UndoOutcomeOfError(ERROR_INVALID_NAME);
    if (::DeleteFileW(target->c_str()))
        return {};
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return {};
    return RefusalOfChange(*target, error);
}

}  // namespace quillcrest
