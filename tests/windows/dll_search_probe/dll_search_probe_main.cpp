// Runs the start-up's DLL preparation as WinMain does, first thing, and reports what it changed. The Windows tests
// start it from a folder of its own, with DLLs planted there under the names it is given.
//
// Usage: qc_dll_search_probe.exe DLL...   (the DLLs the program delay-loads)
// Prints one "name=value" line per finding:
//   loaded-before=DLL            a DLL already loaded before the preparation (it would have come from anywhere)
//   own-folder-before=0|1        whether a DLL only the probe's folder holds was found by its bare name before
//   search=...                   what the preparation put in force
//   own-folder-after=0|1         the same after it
//   failure-hook=0|1             whether the delay-load helper's failure hook is the program's after it
//   loaded-from=DLL|PATH         where each DLL then came from when a function of it was first called
//   no-call=DLL                  the probe knows no function of that DLL to call
#include <windows.h>
#include <winsock2.h>

#include <iphlpapi.h>
#include <oleacc.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "base/delay_load_stand_ins_win.h"
#include "base/system_dll_loading_win.h"
#include "base/utf8_text_win.h"

namespace {

// A DLL that only the folder of the probe holds (the build puts it there, the tests copy it along).
constexpr wchar_t kOwnFolderDll[] = L"qc_planted.dll";

bool OwnFolderDllFound() {
    // Loaded as a DLL (a data file is looked for elsewhere), but without running its entry point.
    const HMODULE found = ::LoadLibraryExW(kOwnFolderDll, nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (found)
        ::FreeLibrary(found);
    return found != nullptr;
}

const char* SearchName(quillcrest::DllSearch search) {
    switch (search) {
        case quillcrest::DllSearch::kSystemFolderOnly:
            return "system-folder-only";
        case quillcrest::DllSearch::kWithoutCurrentDirectory:
            return "without-current-directory";
        case quillcrest::DllSearch::kUnchanged:
            break;
    }
    return "unchanged";
}

// One harmless call through the delay-load thunk of each DLL, which makes it load.
const std::map<std::string, std::function<void()>> kFirstCalls = {
    {"iphlpapi.dll",
     [] {
         ULONG size = 0;
         ::GetNetworkParams(nullptr, &size);
     }},
    {"msimg32.dll", [] { ::GradientFill(nullptr, nullptr, 0, nullptr, 0, GRADIENT_FILL_RECT_H); }},
    {"oleacc.dll", [] { ::LresultFromObject(IID_IAccessible, 0, nullptr); }},
};

std::string LoadedFrom(const char* dll) {
    const HMODULE module = ::GetModuleHandleA(dll);
    if (module == nullptr)
        return "<not loaded>";
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
    return quillcrest::Utf8FromWide(std::wstring(path, length));
}

}  // namespace

int main(int argc, char** argv) {
    std::printf("started\n");
    for (int i = 1; i < argc; ++i) {
        if (::GetModuleHandleA(argv[i]))
            std::printf("loaded-before=%s\n", argv[i]);
    }
    std::printf("own-folder-before=%d\n", OwnFolderDllFound() ? 1 : 0);
    std::printf("search=%s\n", SearchName(quillcrest::PrepareSystemDllLoading()));
    std::printf("own-folder-after=%d\n", OwnFolderDllFound() ? 1 : 0);
    std::printf("failure-hook=%d\n", __pfnDliFailureHook2 == &quillcrest::DelayLoadFailureHook ? 1 : 0);
    for (int i = 1; i < argc; ++i) {
        const auto call = kFirstCalls.find(argv[i]);
        if (call == kFirstCalls.end()) {
            std::printf("no-call=%s\n", argv[i]);
            continue;
        }
        call->second();
        std::printf("loaded-from=%s|%s\n", argv[i], LoadedFrom(argv[i]).c_str());
    }
    return 0;
}
