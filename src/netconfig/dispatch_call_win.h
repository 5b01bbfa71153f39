#pragma once

#include <oaidl.h>
#include <windows.h>
#include <wrl/client.h>

#include "base/win_handles_win.h"

namespace quillcrest {

// Late-bound automation calls. Failures raise EComError with the platform's message text, or with the
// server's own description when it reports an exception.

// Calls the method `name` (looked up with GetIDsOfNames) with `count` arguments given in reverse order, as
// automation expects them; answers the method's result.
UniqueVariant InvokeMethod(IDispatch* object, const wchar_t* name, VARIANT* arguments, UINT count);

// The enumerator of an automation collection, read through its _NewEnum property.
Microsoft::WRL::ComPtr<IEnumVARIANT> NewEnum(IDispatch* collection);

// The object a variant holds, or null when it holds none.
Microsoft::WRL::ComPtr<IDispatch> DispatchFromVariant(const VARIANT& value);

}  // namespace quillcrest
