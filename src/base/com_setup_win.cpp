#include "base/com_setup_win.h"

#include <objbase.h>

namespace quillcrest {

namespace {

HRESULT InitializeProcessSecurity(ComCallPermission& callers) {
    // A null descriptor would admit every caller; better the system's defaults than that.
    PSECURITY_DESCRIPTOR descriptor = callers.descriptor();
    if (descriptor == nullptr)
        return callers.madeResult();
    // Without impersonation WMI may read the configuration but refuses to change it for us.
    return ::CoInitializeSecurity(descriptor, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                  RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
}

}  // namespace

ComSetup::ComSetup()
    : apartment_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)), security_(InitializeProcessSecurity(callers_)) {}

ComSetup::~ComSetup() {
    // Every successful CoInitializeEx, S_FALSE included, needs its own CoUninitialize.
    if (SUCCEEDED(apartment_))
        ::CoUninitialize();
}

}  // namespace quillcrest
