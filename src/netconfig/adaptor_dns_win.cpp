#include "netconfig/adaptor_dns_win.h"

#include <climits>
#include <exception>
#include <new>

#include "base/ansi_text_win.h"
#include "base/win_handles_win.h"
#include "netconfig/adapter_method_return.h"
#include "netconfig/adaptor_dns_query.h"
#include "netconfig/com_error.h"
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

// The method's return value, a uint32 that scripting hands over as a signed VT_I4; a missing or non-numeric
// one is no sign of success.
std::uint32_t ReturnValue(const UniqueVariant& result) {
    // VT_EMPTY would convert to 0, which is "done".
    if (result.get().vt == VT_EMPTY || result.get().vt == VT_NULL)
        return kAdapterMethodCallFailed;
    VARIANT number;
    ::VariantInit(&number);
    if (FAILED(::VariantChangeType(&number, const_cast<VARIANT*>(&result.get()), 0, VT_I4)))
        return kAdapterMethodCallFailed;
    return static_cast<std::uint32_t>(number.lVal);
}

// With servers, the array travels by reference as VT_BYREF|VT_VARIANT pointing at a variant that holds
// VT_ARRAY|VT_BSTR: the form script hosts pass a variable in, which WMI's scripting layer reads. Without
// servers the argument is left out (VT_ERROR, DISP_E_PARAMNOTFOUND), which clears the static list.
std::uint32_t CallSetDnsServerSearchOrder(IDispatch* adapter, const std::vector<std::string>& servers) {
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
    return ReturnValue(InvokeMethod(adapter, L"SetDNSServerSearchOrder", &argument, 1));
}

}  // namespace

DnsChangeOutcome SetAdaptorDNS(const std::string& settingId,
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
    DnsChangeOutcome outcome;
    while (true) {
        UniqueVariant item;
        ULONG fetched = 0;
        if (walk->Next(kOneAtATime, item.put(), &fetched) != S_OK || fetched != kOneAtATime)
            break;
        const Microsoft::WRL::ComPtr<IDispatch> adapter = DispatchFromVariant(item.get());
        if (!adapter)
            continue;
        // One adapter refusing must not keep the others matched by the query from their change.
        try {
            const std::uint32_t code = CallSetDnsServerSearchOrder(adapter.Get(), servers);
            if (code == kAdapterMethodDoneRestartNeeded)
                outcome.restartNeeded = true;
            else if (!AdapterMethodSucceeded(code))
                outcome.refusals.push_back({settingId, code, AdapterMethodReturnText(code)});
        } catch (const EComError& error) {
            outcome.refusals.push_back(RefusalOfFailedCall(settingId, error.code(), error.what()));
        } catch (const std::exception& error) {
            outcome.refusals.push_back({settingId, kAdapterMethodCallFailed, error.what()});
        }
    }
    return outcome;
}

DnsChangeOutcome SetAdaptorDNS(const std::string& settingId, const std::vector<std::string>& servers) {
    return SetAdaptorDNS(settingId, servers, BindWmiServices);
}

}  // namespace quillcrest
