#include "window_shell_win.h"

#include "widgets/application_window_win.h"

namespace quillcrest {

WindowShell::WindowShell(const char* className, const char* caption, int clientWidth, int clientHeight) {
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT frame = {0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    Create(className, caption, style, 0, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
           frame.bottom - frame.top, ApplicationWindow());
}

}  // namespace quillcrest
