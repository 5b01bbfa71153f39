#include "netconfig/wmi_query_win.h"

#include <algorithm>
#include <cctype>

#include "base/win_handles_win.h"
#include "base/ansi_text_win.h"
#include "netconfig/hresult_check_win.h"
#include "netconfig/wmi_error.h"
#include "netconfig/wmi_variant_win.h"

namespace quillcrest {
namespace {

constexpr long kQueryFlags = WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY;  // 48
constexpr ULONG kRowsPerFetch = 1;
static_assert(kQueryFlags == 48, "the query runs with return-immediately and forward-only only");

bool IsBlank(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c) != 0; });
}

}  // namespace

WbemQuery::WbemQuery(WmiConnection* connection) : connection_(connection) {}

void WbemQuery::setWql(const std::string& wql) {
    close();
    wql_ = wql;
}

void WbemQuery::open() {
    close();
    if (IsBlank(wql_))
        throw EWmiError("WQL is not defined");
    if (connection_ == nullptr)
        throw EWmiError("Connection is not defined");
    execute();
    open_ = true;
}

void WbemQuery::execute() {
    row_.Reset();
    rows_.Reset();
    IWbemServices* services = connection_->services();
    const UniqueBstr language(::SysAllocString(L"WQL"));
    const UniqueBstr text = BstrFromAnsi(wql_);
    if (!language)
        RaiseWmiError(E_OUTOFMEMORY);
    Microsoft::WRL::ComPtr<IEnumWbemClassObject> rows;
    CheckWmi(services->ExecQuery(language.get(), text.get(), kQueryFlags, nullptr, &rows));
    rows_ = rows;
    movedPastFirst_ = false;
    fetch();
}

void WbemQuery::fetch() {
    row_.Reset();
    if (!rows_)
        return;
    IWbemClassObject* object = nullptr;
    ULONG returned = 0;
    const HRESULT result = rows_->Next(WBEM_INFINITE, kRowsPerFetch, &object, &returned);
    Microsoft::WRL::ComPtr<IWbemClassObject> owner;
    owner.Attach(returned == 1 ? object : nullptr);
    if (FAILED(result)) {
        rows_.Reset();
        RaiseWmiError(result);
    }
    if (returned == 1)
        row_ = owner;
    else
        rows_.Reset();  // WBEM_S_FALSE: past the last row
}

void WbemQuery::first() {
    requireOpen();
    // A forward-only result cannot rewind: standing on the first row again means running the query again.
    if (movedPastFirst_)
        execute();
}

bool WbemQuery::eof() const {
    return !open_ || row_ == nullptr;
}

void WbemQuery::next() {
    requireOpen();
    if (row_ == nullptr)
        return;
    movedPastFirst_ = true;
    fetch();
}

void WbemQuery::close() {
    open_ = false;
    movedPastFirst_ = false;
    row_.Reset();
    rows_.Reset();
}

void WbemQuery::requireOpen() const {
    if (!open_)
        throw EWmiError("The query is not open");
}

bool WbemQuery::readField(const std::string& name, WmiValue& out) const {
    requireOpen();
    if (row_ == nullptr)
        throw EWmiError("There is no current row");
    const std::wstring wideName = WideFromAnsi(name);
    if (wideName.empty())
        return false;
    UniqueVariant value;
    CIMTYPE type = CIM_EMPTY;
    const HRESULT result = row_->Get(wideName.c_str(), 0, value.put(), &type, nullptr);
    if (result == static_cast<HRESULT>(WBEM_E_NOT_FOUND))
        return false;
    CheckWmi(result);
    out = WmiValueFromVariant(value.get(), type);
    return true;
}

WmiValue WbemQuery::fieldByName(const std::string& name) const {
    WmiValue value;
    if (!readField(name, value))
        throw EWmiError("Property not found: " + name);
    return value;
}

WmiValue WbemQuery::findField(const std::string& name) const {
    WmiValue value;
    readField(name, value);
    return value;
}

}  // namespace quillcrest
