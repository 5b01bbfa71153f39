#pragma once

#include <oaidl.h>
#include <windows.h>
#include <wrl/client.h>

namespace quillcrest {

// Binds WMI's scripting services object for "root\cimv2" on the local computer through the moniker
// "winmgmts:\\.\root\cimv2". Raises EComError with the platform's message text when any step fails.
Microsoft::WRL::ComPtr<IDispatch> BindWmiServices();

}  // namespace quillcrest
