#pragma once

#include <windows.h>

#include "base/com_call_permission_win.h"

namespace quillcrest {

// The process's COM set-up, owned for the life of the user-interface thread: a single-threaded apartment
// and process-wide security that lets WMI act for the user (impersonation level 3) and lets only the user,
// SYSTEM and the Administrators call in. Create it once, early, on the user-interface thread; it never raises,
// and undoes only what it did itself.
class ComSetup {
  public:
    ComSetup();
    ~ComSetup();

    ComSetup(const ComSetup&) = delete;
    ComSetup& operator=(const ComSetup&) = delete;

    // S_OK or S_FALSE when this thread is in an apartment we must leave again; RPC_E_CHANGED_MODE when the
    // thread was already in another apartment kind.
    HRESULT apartmentResult() const { return apartment_; }
    // S_OK, or RPC_E_TOO_LATE when security was already chosen for the process (by us or anyone else), or the
    // failure that kept the descriptor of permitted callers from being made (security then left to the system).
    HRESULT securityResult() const { return security_; }

  private:
    HRESULT apartment_;
    // Kept for the life of the set-up: the process's security refers to it.
    ComCallPermission callers_;
    HRESULT security_;
};

}  // namespace quillcrest
