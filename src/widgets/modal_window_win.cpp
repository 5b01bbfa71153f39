#include "widgets/modal_window_win.h"

#include <algorithm>
#include <utility>

#include "widgets/modal_scope_win.h"
#include "widgets/task_windows_disabled_win.h"

namespace quillcrest {
namespace {

// Clears the running flag on every way out of the modal loop, an exception in OnBeforeShow included.
class RunningCleared {
  public:
    explicit RunningCleared(bool& running) : running_(running) {}
    ~RunningCleared() { running_ = false; }
    RunningCleared(const RunningCleared&) = delete;
    RunningCleared& operator=(const RunningCleared&) = delete;

  private:
    bool& running_;
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
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    // A window larger than the owner or the work area (a large display scale on a small screen) keeps its caption
    // and left edge on the work area, where the user can reach them.
    RECT work;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    x = std::max<int>(work.left, std::min<int>(x, work.right - width));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
    ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int ModalWindow::ShowModal(HWND centreOn) {
    // A second request while the window is up, or still preparing what it shows, opens nothing.
    if (running_)
        return kModalResultCancel;
    running_ = true;
    result_ = 0;
    {
        const RunningCleared cleared(running_);
        // The other windows are disabled before the window prepares itself: a page fetch dispatches messages for
        // up to a minute, and nothing else of the program may be clicked meanwhile.
        const TaskWindowsDisabled disabled(hwnd());
        const ModalScope scope(hwnd());
        OnBeforeShow();
        CentreWindow(hwnd(), centreOn);
        ::ShowWindow(hwnd(), SW_SHOW);
        ::SetForegroundWindow(hwnd());
        RunLoop();
        // Re-enable the owner before hiding, or the system activates some other program's window.
    }
    ::ShowWindow(hwnd(), SW_HIDE);
    return std::exchange(result_, 0);
}

void ModalWindow::RunLoop() {
    MSG message;
    while (result_ == 0) {
        const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
        if (got <= 0) {
            // A quit request ends the program's own loop too: hand it on and give up the dialog.
            ::PostQuitMessage(got == 0 ? static_cast<int>(message.wParam) : 0);
            result_ = kModalResultCancel;
            return;
        }
        if (::IsDialogMessageA(hwnd(), &message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
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
