#include "base/com_call_permission_win.h"

#include <objbase.h>

#include "base/win_handles_win.h"

namespace quillcrest {
namespace {

std::vector<BYTE> WellKnownSid(WELL_KNOWN_SID_TYPE kind) {
    std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
    DWORD size = static_cast<DWORD>(sid.size());
    if (!::CreateWellKnownSid(kind, nullptr, sid.data(), &size))
        return {};
    sid.resize(size);
    return sid;
}

// The SID of the user the process runs as; empty when the token cannot be read.
std::vector<BYTE> ProcessUserSid() {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened))
        return {};
    const UniqueKernelHandle token(opened);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    if (size == 0)
        return {};
    std::vector<BYTE> buffer(size);
    if (!::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size))
        return {};
    const PSID sid = reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid;
    if (!::IsValidSid(sid))
        return {};
    std::vector<BYTE> copy(::GetLengthSid(sid));
    if (!::CopySid(static_cast<DWORD>(copy.size()), copy.data(), sid))
        return {};
    return copy;
}

}  // namespace

ComCallPermission::ComCallPermission()
    : userSid_(ProcessUserSid()),
      systemSid_(WellKnownSid(WinLocalSystemSid)),
      administratorsSid_(WellKnownSid(WinBuiltinAdministratorsSid)) {
    made_ = Make();
}

HRESULT ComCallPermission::Make() {
    if (systemSid_.empty() || administratorsSid_.empty())
        return E_FAIL;
    std::vector<std::vector<BYTE>*> callers = {&systemSid_, &administratorsSid_};
    if (!userSid_.empty())
        callers.insert(callers.begin(), &userSid_);

    DWORD aclSize = sizeof(ACL);
    for (const std::vector<BYTE>* sid : callers)
        aclSize += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + static_cast<DWORD>(sid->size());
    acl_.assign(aclSize, 0);
    auto* acl = reinterpret_cast<ACL*>(acl_.data());
    if (!::InitializeAcl(acl, aclSize, ACL_REVISION))
        return HRESULT_FROM_WIN32(::GetLastError());
    for (std::vector<BYTE>* sid : callers) {
        if (!::AddAccessAllowedAce(acl, ACL_REVISION, kCallerRights, sid->data()))
            return HRESULT_FROM_WIN32(::GetLastError());
    }
    // COM refuses a descriptor without owner and group.
    const PSID owner = userSid_.empty() ? administratorsSid_.data() : userSid_.data();
    if (!::InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorOwner(&descriptor_, owner, FALSE) ||
        !::SetSecurityDescriptorGroup(&descriptor_, owner, FALSE) ||
        !::SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE))
        return HRESULT_FROM_WIN32(::GetLastError());
    return S_OK;
}

}  // namespace quillcrest
