#pragma once

#include <windows.h>

namespace quillcrest {

// Raise EWmiError ("XXXXXXXX: description") when a WMI call fails.
void CheckWmi(HRESULT result);
[[noreturn]] void RaiseWmiError(HRESULT result);

// Raise EComError carrying the platform's message text when a COM or automation call fails.
void CheckCom(HRESULT result);
[[noreturn]] void RaiseComError(HRESULT result);

}  // namespace quillcrest
