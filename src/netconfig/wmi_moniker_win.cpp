#include "netconfig/wmi_moniker_win.h"

#include <objbase.h>

#include "netconfig/hresult_check_win.h"

namespace quillcrest {
namespace {

constexpr const wchar_t* kServicesMoniker = L"winmgmts:\\\\.\\root\\cimv2";

}  // namespace

Microsoft::WRL::ComPtr<IDispatch> BindWmiServices() {
    Microsoft::WRL::ComPtr<IBindCtx> context;
    CheckCom(::CreateBindCtx(0, &context));
    Microsoft::WRL::ComPtr<IMoniker> moniker;
    ULONG eaten = 0;
    CheckCom(::MkParseDisplayName(context.Get(), kServicesMoniker, &eaten, &moniker));
    Microsoft::WRL::ComPtr<IDispatch> services;
    CheckCom(moniker->BindToObject(context.Get(), nullptr, IID_PPV_ARGS(&services)));
    return services;
}

}  // namespace quillcrest
