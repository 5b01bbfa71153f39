#include "netconfig/wmi_connection_win.h"

#include "base/win_handles_win.h"
#include "netconfig/hresult_check_win.h"

namespace quillcrest {
namespace {

constexpr const wchar_t* kNamespace = L"root\\cimv2";

}  // namespace

Microsoft::WRL::ComPtr<IWbemServices> ConnectToLocalCimv2(WmiFailureRaiser raise) {
    const auto check = [raise](HRESULT result) {
        if (FAILED(result))
            raise(result);
    };
    Microsoft::WRL::ComPtr<IWbemLocator> locator;
    check(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&locator)));
    const UniqueBstr nameSpace(::SysAllocString(kNamespace));
    if (!nameSpace)
        raise(E_OUTOFMEMORY);
    Microsoft::WRL::ComPtr<IWbemServices> services;
    // No user, password, locale or authority: the caller's own identity on the local computer.
    check(locator->ConnectServer(nameSpace.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services));
    // Providers act on our behalf only at impersonation level; an in-process server has no proxy to set
    // and answers E_NOINTERFACE, which is no failure.
    const HRESULT blanket =
        ::CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                            RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    if (blanket != E_NOINTERFACE)
        check(blanket);
    return services;
}

IWbemServices* WmiConnection::services() {
    if (!services_)
        services_ = ConnectToLocalCimv2(RaiseWmiError);
    return services_.Get();
}

}  // namespace quillcrest
