#pragma once

// Hand-written automation objects that stand in for WMI's scripting services: the services object with
// ExecQuery, the result set with _NewEnum, its enumerator, and adapter objects with SetDNSServerSearchOrder.
// Every object counts its references, so a test can see that nothing is left held.

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

namespace quillcrest::fakes {

inline std::string NarrowForTest(const wchar_t* text) {
    std::string out;
    for (; text && *text; ++text)
        out += static_cast<char>(*text);
    return out;
}

// The reference count is only watched: the objects live in the test fixture and are never deleted by COM.
template <typename Interface>
class CountedObject : public Interface {
  public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == ownIid()) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG references() const { return references_; }

  protected:
    virtual REFIID ownIid() const = 0;

  private:
    ULONG references_ = 0;
};

// One named method per object; everything else is unknown.
class FakeDispatch : public CountedObject<IDispatch> {
  public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (count != 1 || lstrcmpiW(names[0], methodName()) != 0 || FAILED(namesResult)) {
            ids[0] = DISPID_UNKNOWN;
            return FAILED(namesResult) ? namesResult : DISP_E_UNKNOWNNAME;
        }
        ids[0] = kMethodId;
        return S_OK;
    }

    // What GetIDsOfNames answers for the method (Wine answers DISP_E_UNKNOWNNAME for missing methods).
    HRESULT namesResult = S_OK;

  protected:
    static constexpr DISPID kMethodId = 7;
    REFIID ownIid() const override { return IID_IDispatch; }
    virtual const wchar_t* methodName() const = 0;

    // Fills the exception report the way automation servers do: the caller must free the strings.
    static HRESULT RaiseException(EXCEPINFO* info, HRESULT code, const wchar_t* description) {
        if (info) {
            *info = EXCEPINFO{};
            info->scode = code;
            info->bstrSource = SysAllocString(L"Fake WMI");
            info->bstrDescription = SysAllocString(description);
        }
        return DISP_E_EXCEPTION;
    }
};

// What one SetDNSServerSearchOrder call received.
struct ReceivedCall {
    WORD flags = 0;
    UINT argumentCount = 0;
    UINT namedArgumentCount = 0;
    VARTYPE argumentType = VT_EMPTY;
    VARTYPE referencedType = VT_EMPTY;  // the type of the variant a VT_BYREF|VT_VARIANT argument points at
    SCODE missingMarker = S_OK;         // the SCODE of a VT_ERROR argument
    LONG lowerBound = 0;
    LONG upperBound = -1;
    std::vector<std::string> elements;
};

class FakeWmiAdapter : public FakeDispatch {
  public:
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id,
                                     REFIID,
                                     LCID,
                                     WORD flags,
                                     DISPPARAMS* parameters,
                                     VARIANT* result,
                                     EXCEPINFO* info,
                                     UINT*) override {
        if (id != kMethodId)
            return DISP_E_MEMBERNOTFOUND;
        ReceivedCall call;
        call.flags = flags;
        call.argumentCount = parameters->cArgs;
        call.namedArgumentCount = parameters->cNamedArgs;
        if (parameters->cArgs > 0) {
            const VARIANT& argument = parameters->rgvarg[0];
            call.argumentType = argument.vt;
            if (argument.vt == VT_ERROR)
                call.missingMarker = argument.scode;
            if (argument.vt == (VT_BYREF | VT_VARIANT) && argument.pvarVal) {
                const VARIANT& held = *argument.pvarVal;
                call.referencedType = held.vt;
                if (held.vt == (VT_ARRAY | VT_BSTR) && SafeArrayGetDim(held.parray) == 1) {
                    SafeArrayGetLBound(held.parray, 1, &call.lowerBound);
                    SafeArrayGetUBound(held.parray, 1, &call.upperBound);
                    for (LONG i = call.lowerBound; i <= call.upperBound; ++i) {
                        BSTR element = nullptr;
                        SafeArrayGetElement(held.parray, &i, &element);
                        call.elements.push_back(NarrowForTest(element));
                        SysFreeString(element);
                    }
                }
            }
        }
        calls.push_back(call);
        if (failWithException)
            return RaiseException(info, 0x80041008, L"Invalid parameter");
        if (FAILED(invokeResult))
            return invokeResult;
        if (result) {
            VariantInit(result);
            result->vt = returnType;
            result->lVal = returnValue;
        }
        return S_OK;
    }

    std::vector<ReceivedCall> calls;
    HRESULT invokeResult = S_OK;
    bool failWithException = false;
    // The method's own answer: 0 done, 1 done once Windows restarts, any other value a refusal.
    LONG returnValue = 0;
    VARTYPE returnType = VT_I4;

  protected:
    const wchar_t* methodName() const override { return L"SetDNSServerSearchOrder"; }
};

class FakeWmiAdapterEnum : public CountedObject<IEnumVARIANT> {
  public:
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override {
        if (fetched)
            *fetched = 0;
        if (count < 1 || position_ >= adapters.size())
            return S_FALSE;
        VariantInit(&items[0]);
        items[0].vt = VT_DISPATCH;
        items[0].pdispVal = adapters[position_++];
        items[0].pdispVal->AddRef();
        if (fetched)
            *fetched = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT**) override { return E_NOTIMPL; }

    std::vector<IDispatch*> adapters;

  protected:
    REFIID ownIid() const override { return IID_IEnumVARIANT; }

  private:
    std::size_t position_ = 0;
};

class FakeWmiAdapterSet : public FakeDispatch {
  public:
    HRESULT STDMETHODCALLTYPE
    Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override {
        if (id != DISPID_NEWENUM)
            return DISP_E_MEMBERNOTFOUND;
        newEnumFlags.push_back(flags);
        if (FAILED(newEnumResult))
            return newEnumResult;
        VariantInit(result);
        result->vt = VT_UNKNOWN;
        result->punkVal = &enumerator;
        enumerator.AddRef();
        return S_OK;
    }

    FakeWmiAdapterEnum enumerator;
    std::vector<WORD> newEnumFlags;
    HRESULT newEnumResult = S_OK;

  protected:
    const wchar_t* methodName() const override { return L"_NewEnum"; }
};

class FakeWmiServices : public FakeDispatch {
  public:
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id,
                                     REFIID,
                                     LCID,
                                     WORD flags,
                                     DISPPARAMS* parameters,
                                     VARIANT* result,
                                     EXCEPINFO* info,
                                     UINT*) override {
        if (id != kMethodId)
            return DISP_E_MEMBERNOTFOUND;
        queryFlags.push_back(flags);
        if (parameters->cArgs == 1 && parameters->rgvarg[0].vt == VT_BSTR)
            queries.push_back(NarrowForTest(parameters->rgvarg[0].bstrVal));
        else
            queries.push_back("<argument is not one string>");
        if (execQueryException)
            return RaiseException(info, 0x80041017, L"Invalid query");
        if (FAILED(execQueryResult))
            return execQueryResult;
        VariantInit(result);
        result->vt = VT_DISPATCH;
        result->pdispVal = &adapterSet;
        adapterSet.AddRef();
        return S_OK;
    }

    FakeWmiAdapterSet adapterSet;
    std::vector<std::string> queries;
    std::vector<WORD> queryFlags;
    HRESULT execQueryResult = S_OK;
    bool execQueryException = false;

  protected:
    const wchar_t* methodName() const override { return L"ExecQuery"; }
};

}  // namespace quillcrest::fakes
