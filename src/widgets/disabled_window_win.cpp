#include "widgets/disabled_window_win.h"

namespace quillcrest {

DisabledWindow::DisabledWindow(HWND window) : window_(window && ::IsWindowEnabled(window) ? window : nullptr) {
    if (window_)
        ::EnableWindow(window_, FALSE);
}

DisabledWindow::~DisabledWindow() {
    if (window_)
        ::EnableWindow(window_, TRUE);
}

}  // namespace quillcrest
