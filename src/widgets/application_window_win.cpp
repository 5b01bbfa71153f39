#include "widgets/application_window_win.h"

namespace quillcrest {
namespace {
HWND g_applicationWindow = nullptr;
}

HWND ApplicationWindow() {
    return g_applicationWindow;
}

void SetApplicationWindow(HWND window) {
    g_applicationWindow = window;
}

}  // namespace quillcrest
