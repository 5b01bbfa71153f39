#include "widgets/dpi_win.h"

#include "base/module_function_win.h"
#include "widgets/display_scale.h"

namespace quillcrest {
namespace {

template <typename Function>
Function User32Function(const char* name) {
    return ModuleFunction<Function>(::GetModuleHandleA("user32.dll"), name);
}

int ScreenDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : kDesignDpi;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesignDpi;
}

}  // namespace

int WindowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow && window ? getDpiForWindow(window) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

int SystemDpi() {
    using GetDpiForSystemFunction = UINT(WINAPI*)();
    static const auto getDpiForSystem = User32Function<GetDpiForSystemFunction>("GetDpiForSystem");
    const UINT dpi = getDpiForSystem ? getDpiForSystem() : 0;
    return dpi > 0 ? static_cast<int>(dpi) : ScreenDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
    static const auto getSystemMetricsForDpi = User32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
    if (getSystemMetricsForDpi)
        return getSystemMetricsForDpi(index, static_cast<UINT>(dpi));
    // Without the call there is one density, the system's, and the plain metrics are given for it.
    const int metric = ::GetSystemMetrics(index);
    const int systemDpi = SystemDpi();
    return systemDpi == dpi ? metric : ::MulDiv(metric, dpi, systemDpi);
}

RECT FrameForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) {
    using AdjustForDpiFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = User32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
    RECT frame = {0, 0, clientWidth, clientHeight};
    if (!adjustForDpi || !adjustForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
        frame = {0, 0, clientWidth, clientHeight};
        ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    }
    return frame;
}

void EnableNonClientScaling(HWND window) {
    using EnableScalingFunction = BOOL(WINAPI*)(HWND);
    static const auto enableScaling = User32Function<EnableScalingFunction>("EnableNonClientDpiScaling");
    if (!enableScaling || (::GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD))
        return;
    // Called inside CreateWindowEx: a failure of the creation must report its own error, not this call's (Wine
    // answers it with "not implemented").
    const DWORD error = ::GetLastError();
    enableScaling(window);
    ::SetLastError(error);
}

}  // namespace quillcrest
