#include "widgets/task_windows_disabled_win.h"

namespace quillcrest {

TaskWindowsDisabled::TaskWindowsDisabled(HWND keep) : keep_(keep) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &TaskWindowsDisabled::DisableOne, reinterpret_cast<LPARAM>(this));
}

TaskWindowsDisabled::~TaskWindowsDisabled() {
    for (HWND hwnd : windows_) {
        if (::IsWindow(hwnd))
            ::EnableWindow(hwnd, TRUE);
    }
}

BOOL CALLBACK TaskWindowsDisabled::DisableOne(HWND hwnd, LPARAM param) {
    auto* self = reinterpret_cast<TaskWindowsDisabled*>(param);
    if (hwnd != self->keep_ && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd)) {
        ::EnableWindow(hwnd, FALSE);
        self->windows_.push_back(hwnd);
    }
    return TRUE;
}

}  // namespace quillcrest
