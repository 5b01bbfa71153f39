#pragma once

#include <windows.h>

// delayimp.h has no include guard: include it through this header only.
#include <delayimp.h>

#include <string>
#include <string_view>
#include <vector>

namespace quillcrest {

// The program's DLLs that are not KnownDLLs load at their first call (see CMakeLists.txt). Should the system lack
// one of them, or one of their functions, that call would end the program with an exception and without a word.
// Each such function has a stand-in instead: the same signature, doing nothing and answering the failure the real
// function reports, so that the program goes on as it does when the function itself fails (no DNS servers read,
// no picture drawn, no object for screen readers).

// The file names of the DLLs the program delay-loads (each has stand-ins).
std::vector<std::wstring> DelayLoadedDlls();

// The stand-in for a function of a DLL (its file name, letter case aside, any folder before it ignored); null for a
// function that has none.
FARPROC DelayLoadStandIn(std::string_view dll, std::string_view function);

// The delay-load helper's failure hook: gives it the stand-in where the DLL or the function is missing.
FARPROC WINAPI DelayLoadFailureHook(unsigned notification, PDelayLoadInfo info);

}  // namespace quillcrest
