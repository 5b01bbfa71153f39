#pragma once

#include <windows.h>

namespace quillcrest {

// Starts (or restarts) a window timer that Windows may delay by up to toleranceMs, so that its ticks share a
// wake-up with other timers of the system instead of waking the processor on their own. Where the system has no
// coalescing timers (before Windows 8) this is an ordinary SetTimer. Returns what SetTimer returns.
UINT_PTR SetCoalescableWindowTimer(HWND window, UINT_PTR timerId, UINT intervalMs, ULONG toleranceMs);

}  // namespace quillcrest
