#pragma once

#include "netconfig/wmi_query.h"

namespace quillcrest {

// Closes a query when the scope ends, also when an error passes through it, so that the next user finds
// the shared query closed.
class WmiQueryCloseGuard {
  public:
    explicit WmiQueryCloseGuard(WmiQuery& query) : query_(query) {}
    ~WmiQueryCloseGuard() {
        // A destructor must not throw, and the error that is already passing matters more.
        try {
            query_.close();
        } catch (...) {
        }
    }

    WmiQueryCloseGuard(const WmiQueryCloseGuard&) = delete;
    WmiQueryCloseGuard& operator=(const WmiQueryCloseGuard&) = delete;

  private:
    WmiQuery& query_;
};

}  // namespace quillcrest
