#pragma once

#include <windows.h>

#include <objbase.h>

#include <vector>

namespace quillcrest {

// Who may call into the COM objects of this process, which may run with administrator rights: its own user,
// SYSTEM and the Administrators, and nobody else (a null descriptor would let every caller in). An absolute
// security descriptor, as CoInitializeSecurity requires, owning the SIDs and the access list it points at.
class ComCallPermission {
  public:
    // The access each of them is given: to call in, from this computer only.
    static constexpr DWORD kCallerRights = COM_RIGHTS_EXECUTE | COM_RIGHTS_EXECUTE_LOCAL;

    // Never raises. When the process's user cannot be read, the descriptor admits SYSTEM and the Administrators
    // only, and the Administrators own it.
    ComCallPermission();
    ComCallPermission(const ComCallPermission&) = delete;
    ComCallPermission& operator=(const ComCallPermission&) = delete;

    // Null when not even that descriptor could be made: the caller must then leave the process's security alone.
    PSECURITY_DESCRIPTOR descriptor() { return SUCCEEDED(made_) ? &descriptor_ : nullptr; }
    // S_OK, or why the descriptor could not be made.
    HRESULT madeResult() const { return made_; }

  private:
    HRESULT Make();

    std::vector<BYTE> userSid_;
    std::vector<BYTE> systemSid_;
    std::vector<BYTE> administratorsSid_;
    std::vector<BYTE> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    HRESULT made_ = E_FAIL;
};

}  // namespace quillcrest
