#include "netconfig/adapter_dns_win.h"

#include <climits>
#include <exception>
#include <new>

#include "base/ansi_text_win.h"
#include "base/win_handles_win.h"
#include "netconfig/adapter_dns_query.h"
#include "netconfig/adapter_method_return.h"
#include "netconfig/com_error.h"
#include "netconfig/hresult_check_win.h"
#include "netconfig/wmi_connection_win.h"

namespace quillcrest {
namespace {

constexpr const wchar_t* kAdapterClass = L"Win32_NetworkAdapterConfiguration";
constexpr const wchar_t* kMethod = L"SetDNSServerSearchOrder";
constexpr const wchar_t* kServersParameter = L"DNSServerSearchOrder";
constexpr const wchar_t* kReturnValue = L"ReturnValue";
constexpr const wchar_t* kObjectPath = L"__PATH";
constexpr const wchar_t* kQueryLanguage = L"WQL";
constexpr long kQueryFlags = WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY;
constexpr LONG kFirstServerIndex = 0;
constexpr ULONG kOneAtATime = 1;

UniqueBstr Bstr(const wchar_t* text) {
    UniqueBstr bstr(::SysAllocString(text));
    if (!bstr)
        throw std::bad_alloc();
    return bstr;
}

// The method's in-parameter: the servers as an array of strings, primary first. With no servers it stays null,
// the documented way to call the method without its parameter, which hands the adapter back to DHCP.
UniqueVariant ServerList(const std::vector<std::string>& servers) {
    UniqueVariant list;
    VARIANT* value = list.put();
    if (servers.empty()) {
        value->vt = VT_NULL;
        return list;
    }
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
    value->parray = array.release();
    value->vt = VT_ARRAY | VT_BSTR;
    return list;
}

// The in-parameters of the method, an instance of the class's own signature for it. A class without the method
// (WMI on a system that lacks it) fails here, and so does each adapter that would be called.
Microsoft::WRL::ComPtr<IWbemClassObject> MethodInput(IWbemServices* services, const std::vector<std::string>& servers) {
    Microsoft::WRL::ComPtr<IWbemClassObject> adapterClass;
    CheckCom(services->GetObject(Bstr(kAdapterClass).get(), 0, nullptr, &adapterClass, nullptr));
    Microsoft::WRL::ComPtr<IWbemClassObject> signature;
    CheckCom(adapterClass->GetMethod(kMethod, 0, &signature, nullptr));
    if (!signature)
        RaiseComError(WBEM_E_INVALID_METHOD_PARAMETERS);
    Microsoft::WRL::ComPtr<IWbemClassObject> input;
    CheckCom(signature->SpawnInstance(0, &input));
    UniqueVariant list = ServerList(servers);
    VARIANT value = list.release();
    const HRESULT put = input->Put(kServersParameter, 0, &value, 0);
    ::VariantClear(&value);
    CheckCom(put);
    return input;
}

// The object path of one adapter the query found, which names it to ExecMethod.
UniqueBstr ObjectPath(IWbemClassObject* adapter) {
    UniqueVariant path;
    CheckCom(adapter->Get(kObjectPath, 0, path.put(), nullptr, nullptr));
    if (path.get().vt != VT_BSTR || path.get().bstrVal == nullptr)
        RaiseComError(WBEM_E_INVALID_OBJECT_PATH);
    UniqueBstr copy(::SysAllocStringLen(path.get().bstrVal, ::SysStringLen(path.get().bstrVal)));
    if (!copy)
        throw std::bad_alloc();
    return copy;
}

// The method's return value, a uint32 that WMI hands over as VT_I4; a missing or non-numeric one is no sign of
// success.
std::uint32_t ReturnValue(IWbemClassObject* output) {
    if (output == nullptr)
        return kAdapterMethodCallFailed;
    UniqueVariant result;
    if (FAILED(output->Get(kReturnValue, 0, result.put(), nullptr, nullptr)))
        return kAdapterMethodCallFailed;
    // VT_EMPTY would convert to 0, which is "done".
    if (result.get().vt == VT_EMPTY || result.get().vt == VT_NULL)
        return kAdapterMethodCallFailed;
    VARIANT number;
    ::VariantInit(&number);
    if (FAILED(::VariantChangeType(&number, const_cast<VARIANT*>(&result.get()), 0, VT_I4)))
        return kAdapterMethodCallFailed;
    return static_cast<std::uint32_t>(number.lVal);
}

std::uint32_t CallSetDnsServerSearchOrder(IWbemServices* services, IWbemClassObject* adapter, IWbemClassObject* input) {
    const UniqueBstr path = ObjectPath(adapter);
    Microsoft::WRL::ComPtr<IWbemClassObject> output;
    CheckCom(services->ExecMethod(path.get(), Bstr(kMethod).get(), 0, nullptr, input, &output, nullptr));
    return ReturnValue(output.Get());
}

Microsoft::WRL::ComPtr<IWbemServices> ConnectFreshly() {
    return ConnectToLocalCimv2(RaiseComError);
}

}  // namespace

DnsChangeOutcome SetAdaptorDNS(const std::string& settingId,
                               const std::vector<std::string>& servers,
                               const WmiServicesConnector& connect) {
    const Microsoft::WRL::ComPtr<IWbemServices> services = connect();
    if (!services)
        RaiseComError(E_POINTER);

    Microsoft::WRL::ComPtr<IEnumWbemClassObject> adapters;
    CheckCom(services->ExecQuery(Bstr(kQueryLanguage).get(), BstrFromAnsi(AdapterDnsQuery(settingId)).get(),
                                 kQueryFlags, nullptr, &adapters));
    if (!adapters)
        RaiseComError(E_POINTER);

    DnsChangeOutcome outcome;
    // Made for the first adapter found and passed to every one: the method does not change it.
    Microsoft::WRL::ComPtr<IWbemClassObject> input;
    while (true) {
        Microsoft::WRL::ComPtr<IWbemClassObject> adapter;
        ULONG returned = 0;
        // A failure to fetch is the query's own failure (it runs as it is walked), not "no further adapter".
        const HRESULT fetched = adapters->Next(WBEM_INFINITE, kOneAtATime, &adapter, &returned);
        CheckCom(fetched);
        if (fetched != WBEM_S_NO_ERROR || returned != kOneAtATime || !adapter)
            break;
        // One adapter refusing must not keep the others matched by the query from their change.
        try {
            if (!input)
                input = MethodInput(services.Get(), servers);
            AddAdapterMethodAnswer(outcome, settingId,
                                   CallSetDnsServerSearchOrder(services.Get(), adapter.Get(), input.Get()));
        } catch (const EComError& error) {
            // A method the system does not have, or a call it refused, in words a person can read.
            outcome.refusals.push_back(RefusalOfFailedCall(settingId, error.code(), error.what()));
        } catch (const std::exception& error) {
            outcome.refusals.push_back({settingId, kAdapterMethodCallFailed, error.what()});
        }
    }
    return outcome;
}

DnsChangeOutcome SetAdaptorDNS(const std::string& settingId, const std::vector<std::string>& servers) {
    // WMI is reached afresh for each change: changes are few and far between, and nothing is held meanwhile.
    return SetAdaptorDNS(settingId, servers, ConnectFreshly);
}

}  // namespace quillcrest
