#include "base/delay_load_stand_ins_win.h"

#include <winsock2.h>

#include <iphlpapi.h>
#include <oleacc.h>

#include <algorithm>
#include <type_traits>

#include "base/ascii_case.h"

namespace quillcrest {
namespace {

DWORD WINAPI NoGetNetworkParams(PFIXED_INFO, PULONG) {
    return ERROR_NOT_SUPPORTED;
}

DWORD WINAPI NoGetAdaptersInfo(PIP_ADAPTER_INFO, PULONG) {
    return ERROR_NOT_SUPPORTED;
}

ULONG WINAPI NoGetAdaptersAddresses(ULONG, ULONG, PVOID, PIP_ADAPTER_ADDRESSES, PULONG) {
    return ERROR_NOT_SUPPORTED;
}

WINBOOL WINAPI NoAlphaBlend(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION) {
    return FALSE;
}

WINBOOL WINAPI NoGradientFill(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG) {
    return FALSE;
}

HRESULT WINAPI NoCreateStdAccessibleObject(HWND, LONG, REFIID, void** object) {
    if (object)
        *object = nullptr;
    return E_NOTIMPL;
}

LRESULT WINAPI NoLresultFromObject(REFIID, WPARAM, LPUNKNOWN) {
    return E_NOTIMPL;
}

HRESULT WINAPI NoAccessibleObjectFromWindow(HWND, DWORD, REFIID, void** object) {
    if (object)
        *object = nullptr;
    return E_NOTIMPL;
}

HRESULT WINAPI NoAccessibleChildren(IAccessible*, LONG, LONG, VARIANT*, LONG* obtained) {
    if (obtained)
        *obtained = 0;
    return E_NOTIMPL;
}

// A stand-in called through the real function's type must have exactly that type.
static_assert(std::is_same_v<decltype(&NoGetNetworkParams), decltype(&::GetNetworkParams)>);
static_assert(std::is_same_v<decltype(&NoGetAdaptersInfo), decltype(&::GetAdaptersInfo)>);
static_assert(std::is_same_v<decltype(&NoGetAdaptersAddresses), decltype(&::GetAdaptersAddresses)>);
static_assert(std::is_same_v<decltype(&NoAlphaBlend), decltype(&::AlphaBlend)>);
static_assert(std::is_same_v<decltype(&NoGradientFill), decltype(&::GradientFill)>);
static_assert(std::is_same_v<decltype(&NoCreateStdAccessibleObject), decltype(&::CreateStdAccessibleObject)>);
static_assert(std::is_same_v<decltype(&NoLresultFromObject), decltype(&::LresultFromObject)>);
static_assert(std::is_same_v<decltype(&NoAccessibleObjectFromWindow), decltype(&::AccessibleObjectFromWindow)>);
static_assert(std::is_same_v<decltype(&NoAccessibleChildren), decltype(&::AccessibleChildren)>);

template <typename Function>
FARPROC AsFarProc(Function* function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

struct StandIn {
    const char* dll;
    const char* function;
    FARPROC address;
};

const StandIn kStandIns[] = {
    {"iphlpapi.dll", "GetNetworkParams", AsFarProc(&NoGetNetworkParams)},
    {"iphlpapi.dll", "GetAdaptersInfo", AsFarProc(&NoGetAdaptersInfo)},
    {"iphlpapi.dll", "GetAdaptersAddresses", AsFarProc(&NoGetAdaptersAddresses)},
    {"msimg32.dll", "AlphaBlend", AsFarProc(&NoAlphaBlend)},
    {"msimg32.dll", "GradientFill", AsFarProc(&NoGradientFill)},
    {"oleacc.dll", "CreateStdAccessibleObject", AsFarProc(&NoCreateStdAccessibleObject)},
    {"oleacc.dll", "LresultFromObject", AsFarProc(&NoLresultFromObject)},
    {"oleacc.dll", "AccessibleObjectFromWindow", AsFarProc(&NoAccessibleObjectFromWindow)},
    {"oleacc.dll", "AccessibleChildren", AsFarProc(&NoAccessibleChildren)},
};

std::string_view FileNameOf(std::string_view dll) {
    const std::size_t separator = dll.find_last_of("\\/");
    return separator == std::string_view::npos ? dll : dll.substr(separator + 1);
}

}  // namespace

std::vector<std::wstring> DelayLoadedDlls() {
    std::vector<std::wstring> names;
    for (const StandIn& standIn : kStandIns) {
        const std::string_view name = standIn.dll;
        std::wstring wide(name.begin(), name.end());
        if (std::find(names.begin(), names.end(), wide) == names.end())
            names.push_back(std::move(wide));
    }
    return names;
}

FARPROC DelayLoadStandIn(std::string_view dll, std::string_view function) {
    const std::string_view name = FileNameOf(dll);
    for (const StandIn& standIn : kStandIns) {
        if (EqualIgnoringAsciiCase(name, standIn.dll) && function == standIn.function)
            return standIn.address;
    }
    return nullptr;
}

FARPROC WINAPI DelayLoadFailureHook(unsigned notification, PDelayLoadInfo info) {
    if (info == nullptr || info->szDll == nullptr || !info->dlp.fImportByName || info->dlp.szProcName == nullptr)
        return nullptr;
    const FARPROC standIn = DelayLoadStandIn(info->szDll, info->dlp.szProcName);
    if (standIn == nullptr)
        return nullptr;
    switch (notification) {
        case dliFailLoadLib:
            // The system lacks the DLL. The program's own module takes its place: it exports nothing, so this
            // function and every later one of that DLL come back here as missing functions and get their
            // stand-ins.
            return reinterpret_cast<FARPROC>(::GetModuleHandleW(nullptr));
        case dliFailGetProc:
            return standIn;
        default:
            return nullptr;
    }
}

}  // namespace quillcrest
