#include "base/system_dll_loading_win.h"

#include <windows.h>

#include <string>

#include "base/delay_load_stand_ins_win.h"
#include "base/module_function_win.h"

namespace quillcrest {
namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCWSTR);

// Looked up at run time: Windows before 8 has SetDefaultDllDirectories only with an update, and the oldest
// systems lack SetDllDirectoryW too; a static import of either would keep the program from starting there.
template <typename Function>
Function Kernel32Function(const char* name) {
    return ModuleFunction<Function>(::GetModuleHandleW(L"kernel32.dll"), name);
}

// Loads each delay-loaded DLL from the system folder by its full path and keeps it for the life of the process.
// Later loads by name, whoever makes them, then find the module already loaded. That matters for the system's own
// code: Wine's builtin DLLs resolve their delay imports (user32 drawing a message box's icon takes msimg32)
// without the default directories, from the program's folder first.
void PinDelayLoadedDlls() {
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    for (const std::wstring& name : DelayLoadedDlls()) {
        const std::wstring path = std::wstring(folder, length) + L"\\" + name;
        ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
}

}  // namespace

DllSearch PrepareSystemDllLoading() {
    __pfnDliFailureHook2 = &DelayLoadFailureHook;
    const auto setDefaultDllDirectories =
        Kernel32Function<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories");
    DllSearch search = DllSearch::kUnchanged;
    const auto setDllDirectory = Kernel32Function<SetDllDirectoryFunction>("SetDllDirectoryW");
    if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        search = DllSearch::kSystemFolderOnly;
    // An empty text takes the current directory out of the search; the program's folder stays in it.
    else if (setDllDirectory && setDllDirectory(L""))
        search = DllSearch::kWithoutCurrentDirectory;
    PinDelayLoadedDlls();
    return search;
}

}  // namespace quillcrest
