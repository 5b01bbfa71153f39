#include "widgets/coalescable_timer_win.h"

#include "base/module_function_win.h"

namespace quillcrest {
namespace {

using SetCoalescableTimerFunction = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC, ULONG);

// Looked up at run time: the program also runs on Windows 7, whose user32 lacks the function.
SetCoalescableTimerFunction CoalescableTimerFunction() {
    static const auto function =
        ModuleFunction<SetCoalescableTimerFunction>(::GetModuleHandleA("user32.dll"), "SetCoalescableTimer");
    return function;
}

}  // namespace

UINT_PTR SetCoalescableWindowTimer(HWND window, UINT_PTR timerId, UINT intervalMs, ULONG toleranceMs) {
    if (const auto setCoalescableTimer = CoalescableTimerFunction())
        return setCoalescableTimer(window, timerId, intervalMs, nullptr, toleranceMs);
    return ::SetTimer(window, timerId, intervalMs, nullptr);
}

}  // namespace quillcrest
