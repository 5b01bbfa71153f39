#pragma once

#include <windows.h>

namespace quillcrest {

// A function of a loaded module, looked up by name at run time, as the function type it is declared with; null
// when the module is missing (null) or lacks the function. Used for calls that older Windows versions do not
// have, where a static import would keep the program from starting. The detour through a pointer of no
// particular type is the conversion C++ allows between function pointer types without a warning.
template <typename Function>
Function ModuleFunction(HMODULE module, const char* name) {
    if (!module)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace quillcrest
