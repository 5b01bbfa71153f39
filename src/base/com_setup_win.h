#pragma once

#include <windows.h>

namespace quillcrest {

// The process's COM set-up, owned for the life of the user-interface thread: a single-threaded apartment
// and process-wide security that lets WMI act for the user (impersonation level 3). Create it once, early,
// on the user-interface thread; it never raises, and undoes only what it did itself.
class ComSetup {
  public:
    ComSetup();
    ~ComSetup();

    ComSetup(const ComSetup&) = delete;
    ComSetup& operator=(const ComSetup&) = delete;

    // S_OK or S_FALSE when this thread is in an apartment we must leave again; RPC_E_CHANGED_MODE when the
    // thread was already in another apartment kind.
    HRESULT apartmentResult() const { return apartment_; }
    // S_OK, or RPC_E_TOO_LATE when security was already chosen for the process (by us or anyone else).
    HRESULT securityResult() const { return security_; }

  private:
    HRESULT apartment_;
    HRESULT security_;
};

}  // namespace quillcrest
