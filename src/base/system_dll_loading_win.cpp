#include "base/system_dll_loading_win.h"

#include <windows.h>


#include "base/delay_load_stand_ins_win.h"

namespace quillcrest {
namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCWSTR);

// Looked up at run time: Windows before 8 has SetDefaultDllDirectories only with an update, and the oldest
// systems lack SetDllDirectoryW too; a static import of either would keep the program from starting there.
template <typename Function>
Function Kernel32Function(const char* name) {
    const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    return kernel32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(kernel32, name))) : nullptr;
}

}  // namespace

DllSearch PrepareSystemDllLoading() {
    __pfnDliFailureHook2 = &DelayLoadFailureHook;
    const auto setDefaultDllDirectories =
        Kernel32Function<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories");
    if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return DllSearch::kSystemFolderOnly;
    // An empty text takes the current directory out of the search; the program's folder stays in it.
    const auto setDllDirectory = Kernel32Function<SetDllDirectoryFunction>("SetDllDirectoryW");
    if (setDllDirectory && setDllDirectory(L""))
        return DllSearch::kWithoutCurrentDirectory;
    return DllSearch::kUnchanged;
}

}  // namespace quillcrest
