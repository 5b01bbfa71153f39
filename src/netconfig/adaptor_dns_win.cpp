#include "netconfig/adaptor_dns_win.h"

#include <climits>
#include <exception>
#include <new>

#include "base/win_handles_win.h"
#include "netconfig/adaptor_dns_query.h"
#include "base/ansi_text_win.h"
#include "netconfig/dispatch_call_win.h"
#include "netconfig/hresult_check_win.h"
#include "netconfig/wmi_moniker_win.h"

namespace quillcrest {
namespace {

constexpr LONG kFirstServerIndex = 1;
constexpr ULONG kOneAtATime = 1;

// The method's single argument: an array of strings indexed from 1.
UniqueSafeArray ServerArray(const std::vector<std::string>& servers) {
    if (servers.size() > static_cast<std::size_t>(LONG_MAX))
        throw std::bad_alloc();
    SAFEARRAYBOUND bound = {static_cast<ULONG>(servers.size()), kFirstServerIndex};
    UniqueSafeArray array(::SafeArrayCreate(VT_BSTR, 1, &bound));
    if (!array)
        throw std::bad_alloc();
    for (std::size_t i = 0; i < servers.size(); ++i) {
        LONG index = kFirstServerIndex + static_cast<LONG>(i);
        const UniqueBstr text = BstrFromAnsi(servers[i]);
        CheckCom(::SafeArrayPutElement(array.get(), &index, text.get()));  // stores a copy
    }
    return array;
}

// With servers, the array travels by reference as VT_BYREF|VT_VARIANT pointing at a variant that holds
// VT_ARRAY|VT_BSTR: the form script hosts pass a variable in, which WMI's scripting layer reads. Without
// servers the argument is left out (VT_ERROR, DISP_E_PARAMNOTFOUND), which clears the static list.
void CallSetDnsServerSearchOrder(IDispatch* adapter, const std::vector<std::string>& servers) {
    UniqueVariant list;
    VARIANT argument;
    ::VariantInit(&argument);
    if (servers.empty()) {
        argument.vt = VT_ERROR;
        argument.scode = DISP_E_PARAMNOTFOUND;
    } else {
        VARIANT* held = list.put();
        held->parray = ServerArray(servers).release();
        held->vt = VT_ARRAY | VT_BSTR;
        argument.vt = VT_BYREF | VT_VARIANT;
        argument.pvarVal = held;
    }
    InvokeMethod(adapter, L"SetDNSServerSearchOrder", &argument, 1);
}

}  // namespace

void SetAdaptorDNS(const std::string& settingId,
                   const std::vector<std::string>& servers,
                   const WmiServicesBinder& bindServices) {
    const Microsoft::WRL::ComPtr<IDispatch> services = bindServices();
    if (!services)
        RaiseComError(E_POINTER);

    const UniqueBstr query = BstrFromAnsi(AdaptorDnsQuery(settingId));
    VARIANT queryArgument;
    ::VariantInit(&queryArgument);
    queryArgument.vt = VT_BSTR;
    queryArgument.bstrVal = query.get();  // still owned by `query`
    const UniqueVariant resultSet = InvokeMethod(services.Get(), L"ExecQuery", &queryArgument, 1);
    const Microsoft::WRL::ComPtr<IDispatch> adapters = DispatchFromVariant(resultSet.get());
    if (!adapters)
        RaiseComError(DISP_E_TYPEMISMATCH);

    const Microsoft::WRL::ComPtr<IEnumVARIANT> walk = NewEnum(adapters.Get());
    while (true) {
        UniqueVariant item;
        ULONG fetched = 0;
        if (walk->Next(kOneAtATime, item.put(), &fetched) != S_OK || fetched != kOneAtATime)
            break;
        const Microsoft::WRL::ComPtr<IDispatch> adapter = DispatchFromVariant(item.get());
        if (!adapter)
            continue;
        try {
            CallSetDnsServerSearchOrder(adapter.Get(), servers);
        } catch (const std::exception&) {
            // One adapter refusing must not keep the others matched by the query from their change.
        }
    }
}

void SetAdaptorDNS(const std::string& settingId, const std::vector<std::string>& servers) {
    SetAdaptorDNS(settingId, servers, BindWmiServices);
}

}  // namespace quillcrest
