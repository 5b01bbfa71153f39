#pragma once

#include <windows.h>

namespace quillcrest {

// The display density functions of Windows 10 (1607 and later), looked up at run time: the program still runs
// on Windows 7 and 8, where each answer falls back to the screen's one density (GetDeviceCaps LOGPIXELSX).

// The density of the display the window is on.
int WindowDpi(HWND window);
// The density the system was started with (the primary display's at logon).
int SystemDpi();
// GetSystemMetrics for a density.
int SystemMetricForDpi(int index, int dpi);
// The outer rectangle of a window whose client area is clientWidth x clientHeight at the density.
RECT FrameForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);
// Lets the system scale a top-level window's caption and frame with its display (per-monitor version 1 only;
// version 2 does so by itself). Called at WM_NCCREATE.
void EnableNonClientScaling(HWND window);

// WM_DPICHANGED and its companion sent to child windows; not declared for the Windows 7 headers the build uses.
inline constexpr UINT kDpiChangedMessage = 0x02E0;
inline constexpr UINT kDpiChangedAfterParentMessage = 0x02E3;

}  // namespace quillcrest
