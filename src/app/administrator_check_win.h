#pragma once

#include <windows.h>

namespace quillcrest {

// The token calls the administrator check makes. Implementations report failures through SetLastError,
// as the Win32 calls do, so the check can tell "no thread token" from real failures.
class TokenSource {
  public:
    virtual ~TokenSource() = default;
    virtual bool OpenThreadToken(HANDLE* token) = 0;
    virtual bool OpenProcessToken(HANDLE* token) = 0;
    // GetTokenInformation(TokenGroups): on a too-small buffer fails with ERROR_INSUFFICIENT_BUFFER and sets
    // *needed to the size the list takes.
    virtual bool GetTokenGroups(HANDLE token, void* buffer, DWORD size, DWORD* needed) = 0;
};

// The calling thread's token if it impersonates, otherwise the process token.
class SystemTokenSource : public TokenSource {
  public:
    bool OpenThreadToken(HANDLE* token) override;
    bool OpenProcessToken(HANDLE* token) override;
    bool GetTokenGroups(HANDLE token, void* buffer, DWORD size, DWORD* needed) override;
};

// True when the token carries the built-in Administrators group, also as a deny-only group: an administrator
// under User Account Control who did not elevate passes.
bool IsAdministrator(TokenSource& tokens);
bool IsAdministrator();

}  // namespace quillcrest
