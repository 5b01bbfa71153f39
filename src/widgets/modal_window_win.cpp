#include "widgets/modal_window_win.h"

#include <utility>

namespace quillcrest {
namespace {

struct DisabledWindows {
    HWND keep;
    std::vector<HWND> windows;
};

BOOL CALLBACK DisableOne(HWND hwnd, LPARAM param) {
    auto* state = reinterpret_cast<DisabledWindows*>(param);
    if (hwnd != state->keep && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd)) {
        ::EnableWindow(hwnd, FALSE);
        state->windows.push_back(hwnd);
    }
    return TRUE;
}

// Every window the modal one disabled is enabled again on every way out, an exception included.
class TaskWindowsDisabled {
  public:
    explicit TaskWindowsDisabled(HWND modal) : state_{modal, {}} {
        ::EnumThreadWindows(::GetCurrentThreadId(), &DisableOne, reinterpret_cast<LPARAM>(&state_));
    }
    ~TaskWindowsDisabled() {
        for (HWND hwnd : state_.windows) {
            if (::IsWindow(hwnd))
                ::EnableWindow(hwnd, TRUE);
        }
    }
    TaskWindowsDisabled(const TaskWindowsDisabled&) = delete;
    TaskWindowsDisabled& operator=(const TaskWindowsDisabled&) = delete;

  private:
    DisabledWindows state_;
};

}  // namespace

void CentreWindow(HWND window, HWND centreOn) {
    RECT area;
    if (centreOn && ::IsWindowVisible(centreOn))
        ::GetWindowRect(centreOn, &area);
    else
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT frame;
    ::GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int ModalWindow::ShowModal(HWND centreOn) {
    if (running_)
        return kModalResultCancel;
    OnBeforeShow();
    CentreWindow(hwnd(), centreOn);
    result_ = 0;
    running_ = true;
    {
        const TaskWindowsDisabled disabled(hwnd());
        ::ShowWindow(hwnd(), SW_SHOW);
        ::SetForegroundWindow(hwnd());
        MSG message;
        while (result_ == 0) {
            const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
            if (got <= 0) {
                // A quit request ends the program's own loop too: hand it on and give up the dialog.
                ::PostQuitMessage(got == 0 ? static_cast<int>(message.wParam) : 0);
                result_ = kModalResultCancel;
                break;
            }
            if (::IsDialogMessageA(hwnd(), &message))
                continue;
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        // Re-enable the owner before hiding, or the system activates some other program's window.
    }
    ::ShowWindow(hwnd(), SW_HIDE);
    running_ = false;
    return std::exchange(result_, 0);
}

void ModalWindow::EndModal(int result) {
    if (running_)
        result_ = result;
    else
        ::ShowWindow(hwnd(), SW_HIDE);
}

LRESULT ModalWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            EndModal(kModalResultCancel);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) {
                EndModal(kModalResultCancel);
                return 0;
            }
            break;
        case DM_GETDEFID:
            if (const int id = DefaultButtonId())
                return MAKELRESULT(id, DC_HASDEFID);
            return 0;
    }
    return DefaultHandling(message, wParam, lParam);
}

}  // namespace quillcrest
