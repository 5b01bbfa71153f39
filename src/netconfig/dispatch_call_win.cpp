#include "netconfig/dispatch_call_win.h"

#include <cstdint>
#include <string>

#include "base/ansi_text_win.h"
#include "netconfig/com_error.h"
#include "netconfig/hresult_check_win.h"

namespace quillcrest {
namespace {

// The server's exception report names what went wrong better than "Exception occurred." would.
[[noreturn]] void RaiseDispatchException(EXCEPINFO& info) {
    if (info.pfnDeferredFillIn)
        info.pfnDeferredFillIn(&info);
    const UniqueBstr source(info.bstrSource);
    const UniqueBstr description(info.bstrDescription);
    const UniqueBstr helpFile(info.bstrHelpFile);
    const HRESULT code = FAILED(info.scode) ? info.scode : DISP_E_EXCEPTION;
    const std::string text = AnsiFromBstr(description.get());
    if (text.empty())
        RaiseComError(code);
    throw EComError(static_cast<std::uint32_t>(code), text);
}

UniqueVariant InvokeId(IDispatch* object, DISPID id, WORD flags, VARIANT* arguments, UINT count) {
    DISPPARAMS parameters = {arguments, nullptr, count, 0};
    EXCEPINFO exception = {};
    UINT argumentError = 0;
    UniqueVariant result;
    const HRESULT outcome =
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result.put(), &exception, &argumentError);
    if (outcome == DISP_E_EXCEPTION)
        RaiseDispatchException(exception);
    // Servers may fill the exception report on other failures too; it must not leak.
    const UniqueBstr source(exception.bstrSource);
    const UniqueBstr description(exception.bstrDescription);
    const UniqueBstr helpFile(exception.bstrHelpFile);
    CheckCom(outcome);
    return result;
}

}  // namespace

UniqueVariant InvokeMethod(IDispatch* object, const wchar_t* name, VARIANT* arguments, UINT count) {
    if (object == nullptr)
        RaiseComError(E_POINTER);
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    CheckCom(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    return InvokeId(object, id, DISPATCH_METHOD, arguments, count);
}

Microsoft::WRL::ComPtr<IEnumVARIANT> NewEnum(IDispatch* collection) {
    if (collection == nullptr)
        RaiseComError(E_POINTER);
    const UniqueVariant value = InvokeId(collection, DISPID_NEWENUM, DISPATCH_PROPERTYGET, nullptr, 0);
    IUnknown* unknown = nullptr;
    if (value.get().vt == VT_UNKNOWN || value.get().vt == VT_DISPATCH)
        unknown = value.get().punkVal;
    if (unknown == nullptr)
        RaiseComError(DISP_E_TYPEMISMATCH);
    Microsoft::WRL::ComPtr<IEnumVARIANT> enumerator;
    CheckCom(unknown->QueryInterface(IID_PPV_ARGS(&enumerator)));
    return enumerator;
}

Microsoft::WRL::ComPtr<IDispatch> DispatchFromVariant(const VARIANT& value) {
    Microsoft::WRL::ComPtr<IDispatch> object;
    if ((value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN) && value.punkVal != nullptr)
        value.punkVal->QueryInterface(IID_PPV_ARGS(&object));
    return object;
}

}  // namespace quillcrest
