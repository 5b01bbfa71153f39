#pragma once

// Hand-written WMI objects that stand in for WMI's COM interface on the DNS change path: the services object
// (GetObject, ExecQuery, ExecMethod), the query's enumerator, and class objects in every part they play there.
// Every other method answers E_NOTIMPL. Every object counts its references, so a test can see that nothing is left
// held.

#include <windows.h>
#include <wbemidl.h>

#include <map>
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
        if (iid == IID_IUnknown || iid == __uuidof(Interface)) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG references() const { return references_; }

  private:
    ULONG references_ = 0;
};

// A property a fake object answers Get with: a number (VT_I4, VT_UI4), a text (VT_BSTR), or empty or null.
struct FakeProperty {
    VARTYPE type = VT_EMPTY;
    LONG number = 0;
    std::wstring text;
};

// What one Put received, the array's elements read out when it was handed an array of strings.
struct ReceivedPut {
    std::string name;
    LONG flags = 0;
    CIMTYPE type = 0;
    VARTYPE valueType = VT_EMPTY;
    LONG lowerBound = 0;
    LONG upperBound = -1;
    std::vector<std::string> elements;
};

// One class object for each part it plays: the adapter class (GetMethod), the method's in-signature
// (SpawnInstance), the in-parameters (Put), an adapter the query found and the out-parameters (Get).
class FakeWbemObject : public CountedObject<IWbemClassObject> {
  public:
    HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG, VARIANT* value, CIMTYPE* type, LONG*) override {
        if (FAILED(getResult))
            return getResult;
        const auto found = properties.find(name);
        if (found == properties.end())
            return WBEM_E_NOT_FOUND;
        VariantInit(value);
        value->vt = found->second.type;
        if (found->second.type == VT_BSTR)
            value->bstrVal = SysAllocString(found->second.text.c_str());
        else
            value->lVal = found->second.number;
        if (type)
            *type = found->second.type == VT_BSTR ? CIM_STRING : CIM_UINT32;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Put(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE type) override {
        ReceivedPut put;
        put.name = NarrowForTest(name);
        put.flags = flags;
        put.type = type;
        put.valueType = value ? value->vt : static_cast<VARTYPE>(VT_NULL);
        if (value && value->vt == (VT_ARRAY | VT_BSTR) && SafeArrayGetDim(value->parray) == 1) {
            SafeArrayGetLBound(value->parray, 1, &put.lowerBound);
            SafeArrayGetUBound(value->parray, 1, &put.upperBound);
            for (LONG i = put.lowerBound; i <= put.upperBound; ++i) {
                BSTR element = nullptr;
                SafeArrayGetElement(value->parray, &i, &element);
                put.elements.push_back(NarrowForTest(element));
                SysFreeString(element);
            }
        }
        puts.push_back(put);
        return putResult;
    }
    HRESULT STDMETHODCALLTYPE GetMethod(LPCWSTR name, LONG, IWbemClassObject** in, IWbemClassObject** out) override {
        methodsAsked.push_back(NarrowForTest(name));
        if (in)
            *in = nullptr;
        if (out)
            *out = nullptr;
        if (FAILED(methodResult))
            return methodResult;
        if (in && signature) {
            signature->AddRef();
            *in = signature;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SpawnInstance(LONG, IWbemClassObject** instance) override {
        *instance = nullptr;
        ++spawnCount;
        if (FAILED(spawnResult))
            return spawnResult;
        spawned->AddRef();
        *instance = spawned;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetQualifierSet(IWbemQualifierSet**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Delete(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNames(LPCWSTR, LONG, VARIANT*, SAFEARRAY**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BeginEnumeration(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Next(LONG, BSTR*, VARIANT*, CIMTYPE*, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EndEnumeration() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPropertyQualifierSet(LPCWSTR, IWbemQualifierSet**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IWbemClassObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetObjectText(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SpawnDerivedClass(LONG, IWbemClassObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CompareTo(LONG, IWbemClassObject*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPropertyOrigin(LPCWSTR, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InheritsFrom(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PutMethod(LPCWSTR, LONG, IWbemClassObject*, IWbemClassObject*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeleteMethod(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BeginMethodEnumeration(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NextMethod(LONG, BSTR*, IWbemClassObject**, IWbemClassObject**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EndMethodEnumeration() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMethodQualifierSet(LPCWSTR, IWbemQualifierSet**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMethodOrigin(LPCWSTR, BSTR*) override { return E_NOTIMPL; }

    // Get
    std::map<std::wstring, FakeProperty> properties;
    HRESULT getResult = S_OK;
    // Put
    std::vector<ReceivedPut> puts;
    HRESULT putResult = S_OK;
    // GetMethod: the in-signature handed out (none: the method takes no parameters)
    std::vector<std::string> methodsAsked;
    HRESULT methodResult = S_OK;
    FakeWbemObject* signature = nullptr;
    // SpawnInstance
    FakeWbemObject* spawned = nullptr;
    HRESULT spawnResult = S_OK;
    int spawnCount = 0;
};

// Hands out the listed objects one at a time, then answers endResult.
class FakeWbemEnum : public CountedObject<IEnumWbemClassObject> {
  public:
    HRESULT STDMETHODCALLTYPE Next(LONG, ULONG count, IWbemClassObject** objects, ULONG* returned) override {
        *returned = 0;
        if (count < 1 || position_ >= objects_.size())
            return endResult;
        objects[0] = objects_[position_++];
        objects[0]->AddRef();
        *returned = 1;
        return WBEM_S_NO_ERROR;
    }
    HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NextAsync(ULONG, IWbemObjectSink*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumWbemClassObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Skip(LONG, ULONG) override { return E_NOTIMPL; }

    void Add(FakeWbemObject* object) { objects_.push_back(object); }
    HRESULT endResult = WBEM_S_FALSE;

  private:
    std::vector<FakeWbemObject*> objects_;
    std::size_t position_ = 0;
};

struct ReceivedQuery {
    std::string language;
    std::string text;
    LONG flags = 0;
};

struct ReceivedMethodCall {
    std::string path;
    std::string method;
    IWbemClassObject* input = nullptr;
};

// What ExecMethod answers for one object path: a failure, or S_OK with these out-parameters.
struct FakeMethodAnswer {
    HRESULT result = S_OK;
    FakeWbemObject* output = nullptr;
};

// The adapter class, its method's signature and the in-parameters spawned from it are wired up from the start.
class FakeWbemServices : public CountedObject<IWbemServices> {
  public:
    FakeWbemServices() {
        adapterClass.signature = &signature;
        signature.spawned = &input;
    }

    HRESULT STDMETHODCALLTYPE
    GetObject(const BSTR path, LONG, IWbemContext*, IWbemClassObject** object, IWbemCallResult**) override {
        objectsAsked.push_back(NarrowForTest(path));
        *object = nullptr;
        if (FAILED(objectResult))
            return objectResult;
        adapterClass.AddRef();
        *object = &adapterClass;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE
    ExecQuery(const BSTR language, const BSTR text, LONG flags, IWbemContext*, IEnumWbemClassObject** found) override {
        queries.push_back({NarrowForTest(language), NarrowForTest(text), flags});
        *found = nullptr;
        if (FAILED(queryResult))
            return queryResult;
        adapters.AddRef();
        *found = &adapters;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ExecMethod(const BSTR path,
                                         const BSTR method,
                                         LONG,
                                         IWbemContext*,
                                         IWbemClassObject* in,
                                         IWbemClassObject** out,
                                         IWbemCallResult**) override {
        methodCalls.push_back({NarrowForTest(path), NarrowForTest(method), in});
        *out = nullptr;
        const auto answer = methodAnswers.find(NarrowForTest(path));
        if (answer == methodAnswers.end())
            return WBEM_E_NOT_FOUND;
        if (FAILED(answer->second.result))
            return answer->second.result;
        if (answer->second.output) {
            answer->second.output->AddRef();
            *out = answer->second.output;
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE
    OpenNamespace(const BSTR, LONG, IWbemContext*, IWbemServices**, IWbemCallResult**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CancelAsyncCall(IWbemObjectSink*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryObjectSink(LONG, IWbemObjectSink**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetObjectAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PutClass(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PutClassAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeleteClass(const BSTR, LONG, IWbemContext*, IWbemCallResult**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeleteClassAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateClassEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateClassEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PutInstance(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PutInstanceAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeleteInstance(const BSTR, LONG, IWbemContext*, IWbemCallResult**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeleteInstanceAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateInstanceEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateInstanceEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ExecQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE
    ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE
    ExecNotificationQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE
    ExecMethodAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*, IWbemObjectSink*) override {
        return E_NOTIMPL;
    }

    FakeWbemObject adapterClass;
    FakeWbemObject signature;
    FakeWbemObject input;
    FakeWbemEnum adapters;
    std::vector<std::string> objectsAsked;
    HRESULT objectResult = S_OK;
    std::vector<ReceivedQuery> queries;
    HRESULT queryResult = S_OK;
    std::vector<ReceivedMethodCall> methodCalls;
    std::map<std::string, FakeMethodAnswer> methodAnswers;  // by object path
};

}  // namespace quillcrest::fakes
