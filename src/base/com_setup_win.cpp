#include "base/com_setup_win.h"

#include <objbase.h>

namespace quillcrest {

ComSetup::ComSetup()
    : apartment_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)),
      // Without impersonation WMI may read the configuration but refuses to change it for us.
      security_(::CoInitializeSecurity(nullptr,
                                       -1,
                                       nullptr,
                                       nullptr,
                                       RPC_C_AUTHN_LEVEL_DEFAULT,
                                       RPC_C_IMP_LEVEL_IMPERSONATE,
                                       nullptr,
                                       EOAC_NONE,
                                       nullptr)) {}

ComSetup::~ComSetup() {
    // Every successful CoInitializeEx, S_FALSE included, needs its own CoUninitialize.
    if (SUCCEEDED(apartment_))
        ::CoUninitialize();
}

}  // namespace quillcrest
