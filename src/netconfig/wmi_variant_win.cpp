#include "netconfig/wmi_variant_win.h"

#include <cstdint>
#include <string>
#include <vector>

#include "base/win_handles_win.h"
#include "base/ansi_text_win.h"
#include "netconfig/hresult_check_win.h"
#include "netconfig/wmi_error.h"

namespace quillcrest {
namespace {

[[noreturn]] void RaiseUnsupported(CIMTYPE type) {
    throw EWmiError("Unsupported CIM data type: " + std::to_string(type));
}

[[noreturn]] void RaiseUnexpected(VARTYPE vt, CIMTYPE type) {
    throw EWmiError("Unexpected value type " + std::to_string(vt) + " for CIM data type " + std::to_string(type));
}

bool IsNullVariant(VARTYPE vt) {
    return vt == VT_NULL || vt == VT_EMPTY;
}

// WMI hands unsigned integers over in signed automation types (uint32 as VT_I4, uint16 as VT_I4, uint8 as
// VT_UI1), so the CIM type decides how the bits read.
std::int64_t WithCimSign(std::int64_t raw, CIMTYPE type) {
    switch (type) {
        case CIM_UINT32:
            return static_cast<std::uint32_t>(raw);
        case CIM_UINT16:
            return static_cast<std::uint16_t>(raw);
        case CIM_UINT8:
            return static_cast<std::uint8_t>(raw);
        default:
            return raw;
    }
}

bool ReadInteger(const VARIANT& value, std::int64_t& out) {
    switch (value.vt) {
        case VT_I1:
            out = value.cVal;
            return true;
        case VT_UI1:
            out = value.bVal;
            return true;
        case VT_I2:
            out = value.iVal;
            return true;
        case VT_UI2:
            out = value.uiVal;
            return true;
        case VT_I4:
            out = value.lVal;
            return true;
        case VT_UI4:
            out = value.ulVal;
            return true;
        case VT_INT:
            out = value.intVal;
            return true;
        case VT_UINT:
            out = value.uintVal;
            return true;
        default:
            return false;
    }
}

// One array element, typed by the element's own variant type; embedded objects, dates and reals have no
// value form here.
WmiValue ElementValue(const VARIANT& element, CIMTYPE elementType) {
    if (IsNullVariant(element.vt))
        return WmiValue::Null();
    if (element.vt == VT_BSTR)
        return WmiValue::Text(AnsiFromBstr(element.bstrVal));
    if (element.vt == VT_BOOL)
        return WmiValue::Boolean(element.boolVal != VARIANT_FALSE);
    std::int64_t number = 0;
    if (ReadInteger(element, number))
        return WmiValue::Integer(WithCimSign(number, elementType));
    if (element.vt == VT_VARIANT && element.pvarVal)
        return ElementValue(*element.pvarVal, elementType);
    RaiseUnsupported(elementType);
}

// Element types whose value fits the variant's value field and converts; the others (records, decimals,
// objects, dates, reals) are refused before any element is copied.
bool IsReadableElementType(VARTYPE vt) {
    switch (vt) {
        case VT_BSTR:
        case VT_BOOL:
        case VT_VARIANT:
        case VT_I1:
        case VT_UI1:
        case VT_I2:
        case VT_UI2:
        case VT_I4:
        case VT_UI4:
        case VT_INT:
        case VT_UINT:
            return true;
        default:
            return false;
    }
}

WmiValue ArrayValue(const VARIANT& value, CIMTYPE type) {
    if (IsNullVariant(value.vt))
        return WmiValue::Null();
    if ((value.vt & VT_ARRAY) == 0)
        RaiseUnexpected(value.vt, type);
    SAFEARRAY* array = (value.vt & VT_BYREF) ? (value.pparray ? *value.pparray : nullptr) : value.parray;
    if (array == nullptr)
        return WmiValue::Null();
    if (::SafeArrayGetDim(array) != 1)
        throw EWmiError("Only one-dimensional arrays are supported");

    LONG lower = 0;
    LONG upper = -1;
    CheckWmi(::SafeArrayGetLBound(array, 1, &lower));
    CheckWmi(::SafeArrayGetUBound(array, 1, &upper));
    const VARTYPE elementVt = value.vt & VT_TYPEMASK;
    const CIMTYPE elementType = type & ~CIM_FLAG_ARRAY;

    if (!IsReadableElementType(elementVt))
        RaiseUnsupported(elementType);

    std::vector<WmiValue> items;
    for (std::int64_t position = lower; position <= upper; ++position) {
        LONG index = static_cast<LONG>(position);
        // Each element is copied into a variant of its own, so that every element type takes one path and
        // the copy's string is freed on every exit.
        UniqueVariant element;
        VARIANT* slot = element.put();
        if (elementVt == VT_VARIANT) {
            CheckWmi(::SafeArrayGetElement(array, &index, slot));
        } else {
            CheckWmi(::SafeArrayGetElement(array, &index, &slot->bVal));
            slot->vt = elementVt;
        }
        items.push_back(ElementValue(element.get(), elementType));
    }
    return WmiValue::Array(std::move(items));
}

}  // namespace

WmiValue WmiValueFromVariant(const VARIANT& value, CIMTYPE type) {
    if (type & CIM_FLAG_ARRAY)
        return ArrayValue(value, type);
    switch (type) {
        case CIM_STRING:
            if (IsNullVariant(value.vt))
                return WmiValue::Null();
            if (value.vt != VT_BSTR)
                RaiseUnexpected(value.vt, type);
            return WmiValue::Text(AnsiFromBstr(value.bstrVal));
        case CIM_UINT32:
        case CIM_SINT32: {
            if (IsNullVariant(value.vt))
                return WmiValue::Null();
            std::int64_t number = 0;
            if (!ReadInteger(value, number))
                RaiseUnexpected(value.vt, type);
            return WmiValue::Integer(WithCimSign(number, type));
        }
        case CIM_BOOLEAN:
            if (IsNullVariant(value.vt))
                return WmiValue::Null();
            if (value.vt != VT_BOOL)
                RaiseUnexpected(value.vt, type);
            return WmiValue::Boolean(value.boolVal != VARIANT_FALSE);
        default:
            RaiseUnsupported(type);
    }
}

}  // namespace quillcrest
