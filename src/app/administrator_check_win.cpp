#include "app/administrator_check_win.h"

#include <vector>

#include "base/win_handles_win.h"

namespace quillcrest {
namespace {

// The first read uses the customary size; a token with more groups (common on domain-joined machines) says
// how much it needs and is read again with that, so its owner is not turned away.
constexpr DWORD kInitialGroupsBufferSize = 1024;
// The group list can grow between two calls; give up after a few rounds rather than loop.
constexpr int kMaxGroupReads = 4;

bool ReadTokenGroups(TokenSource& tokens, HANDLE token, std::vector<BYTE>& buffer) {
    buffer.assign(kInitialGroupsBufferSize, 0);
    for (int attempt = 0; attempt < kMaxGroupReads; ++attempt) {
        DWORD needed = 0;
        if (tokens.GetTokenGroups(token, buffer.data(), static_cast<DWORD>(buffer.size()), &needed))
            return true;
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size())
            return false;
        buffer.assign(needed, 0);
    }
    return false;
}

}  // namespace

bool SystemTokenSource::OpenThreadToken(HANDLE* token) {
    return ::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, token) != FALSE;
}

bool SystemTokenSource::OpenProcessToken(HANDLE* token) {
    return ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token) != FALSE;
}

bool SystemTokenSource::GetTokenGroups(HANDLE token, void* buffer, DWORD size, DWORD* needed) {
    return ::GetTokenInformation(token, TokenGroups, buffer, size, needed) != FALSE;
}

bool IsAdministrator(TokenSource& tokens) {
    UniqueKernelHandle token;
    if (!tokens.OpenThreadToken(token.put())) {
        if (::GetLastError() != ERROR_NO_TOKEN)
            return false;
        if (!tokens.OpenProcessToken(token.put()))
            return false;
    }

    std::vector<BYTE> buffer;
    const bool read = ReadTokenGroups(tokens, token.get(), buffer);
    token.reset();
    if (!read)
        return false;

    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    UniqueSid administrators;
    if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                    0, 0, administrators.put()))
        return false;

    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        if (::EqualSid(administrators.get(), groups->Groups[i].Sid))
            return true;
    }
    return false;
}

bool IsAdministrator() {
    SystemTokenSource tokens;
    return IsAdministrator(tokens);
}

}  // namespace quillcrest
