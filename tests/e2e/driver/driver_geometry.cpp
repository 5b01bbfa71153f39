#include "driver_geometry.h"

#include <cstdio>
#include <string>

namespace quillcrest::driver {
namespace {

constexpr int kTextBufferSize = 512;

template <typename Function>
Function User32Function(const char* name) {
    return reinterpret_cast<Function>(::GetProcAddress(::GetModuleHandleA("user32.dll"), name));
}

std::string Text(HWND hwnd) {
    char text[kTextBufferSize] = {};
    ::GetWindowTextA(hwnd, text, kTextBufferSize);
    return text;
}

// BCM_GETIDEALSIZE writes to memory of the control's process, so the size is asked for through a block there.
SIZE IdealSize(HWND control) {
    SIZE ideal{-1, -1};
    char className[16] = {};
    ::GetClassNameA(control, className, sizeof(className));
    if (lstrcmpiA(className, "Button") != 0)
        return ideal;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(control, &processId);
    HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process)
        return ideal;
    void* remote = ::VirtualAllocEx(process, nullptr, sizeof(SIZE), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    SIZE asked{};
    DWORD_PTR answered = 0;
    // BCM_GETIDEALSIZE (BCM_FIRST + 1), a message of version 6 of the common controls.
    constexpr UINT kGetIdealSize = 0x1601;
    if (remote && ::WriteProcessMemory(process, remote, &asked, sizeof(asked), nullptr) &&
        ::SendMessageTimeoutA(control, kGetIdealSize, 0, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000,
                              &answered) &&
        answered && ::ReadProcessMemory(process, remote, &asked, sizeof(asked), nullptr))
        ideal = asked;
    if (remote)
        ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    ::CloseHandle(process);
    return ideal;
}

struct GeometryWalk {
    HWND window;
};

BOOL CALLBACK PrintControl(HWND control, LPARAM param) {
    const auto* walk = reinterpret_cast<const GeometryWalk*>(param);
    char className[kTextBufferSize] = {};
    ::GetClassNameA(control, className, kTextBufferSize);
    RECT rect;
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, walk->window, reinterpret_cast<POINT*>(&rect), 2);
    const SIZE ideal = IdealSize(control);
    std::string text = Text(control);
    for (char& c : text) {
        if (c == '\r' || c == '\n' || c == '|')
            c = ' ';
    }
    std::printf("%d|%s|%d|%ld,%ld,%ld,%ld|%ld|%ld|%s\n", ::GetDlgCtrlID(control), className,
                ::IsWindowVisible(control) ? 1 : 0, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                ideal.cx, ideal.cy, text.c_str());
    return TRUE;
}

}  // namespace

void BecomeDpiAware() {
    using SetContextFunction = BOOL(WINAPI*)(HANDLE);
    using SetAwareFunction = BOOL(WINAPI*)();
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, then PER_MONITOR_AWARE.
    if (const auto setContext = User32Function<SetContextFunction>("SetProcessDpiAwarenessContext")) {
        if (setContext(reinterpret_cast<HANDLE>(-4)) || setContext(reinterpret_cast<HANDLE>(-3)))
            return;
    }
    if (const auto setAware = User32Function<SetAwareFunction>("SetProcessDPIAware"))
        setAware();
}

int PrintDpiFacts() {
    using GetDpiForSystemFunction = UINT(WINAPI*)();
    const auto getDpiForSystem = User32Function<GetDpiForSystemFunction>("GetDpiForSystem");
    HDC screen = ::GetDC(nullptr);
    std::printf("system=%u\n", getDpiForSystem ? getDpiForSystem() : 0u);
    std::printf("logpixels=%d\n", ::GetDeviceCaps(screen, LOGPIXELSX));
    ::ReleaseDC(nullptr, screen);
    for (const char* name : {"GetDpiForWindow", "GetDpiForSystem", "GetSystemMetricsForDpi", "AdjustWindowRectExForDpi",
                             "SystemParametersInfoForDpi", "EnableNonClientDpiScaling", "SetProcessDpiAwarenessContext",
                             "GetDpiForMonitor"}) {
        const HMODULE module =
            std::string(name) == "GetDpiForMonitor" ? ::LoadLibraryA("shcore.dll") : ::GetModuleHandleA("user32.dll");
        std::printf("%s=%d\n", name, module && ::GetProcAddress(module, name) ? 1 : 0);
    }
    return 0;
}

int PrintControlGeometry(HWND window) {
    RECT client;
    ::GetClientRect(window, &client);
    std::printf("client=%ldx%ld\n", client.right, client.bottom);
    // Wine answers GetDpiForWindow for another process's window with 96 whatever the display's density; with one
    // display the system's density is the window's.
    HDC screen = ::GetDC(nullptr);
    std::printf("dpi=%d\n", ::GetDeviceCaps(screen, LOGPIXELSX));
    ::ReleaseDC(nullptr, screen);
    GeometryWalk walk{window};
    ::EnumChildWindows(window, &PrintControl, reinterpret_cast<LPARAM>(&walk));
    return 0;
}

}  // namespace quillcrest::driver
