#include "widgets/modal_scope_win.h"

#include "widgets/modal_window_stack.h"

namespace quillcrest {
namespace {

// Only the user-interface thread opens modal windows, so one stack serves the process.
ModalWindowStack& OpenModalWindows() {
    static ModalWindowStack stack;
    return stack;
}

ModalWindowStack::WindowId IdOf(HWND window) {
    return reinterpret_cast<ModalWindowStack::WindowId>(window);
}

}  // namespace

ModalScope::ModalScope(HWND window) : window_(window) {
    OpenModalWindows().Enter(IdOf(window_));
}

ModalScope::~ModalScope() {
    OpenModalWindows().Leave(IdOf(window_));
}

bool BringModalWindowToFront() {
    const std::optional<ModalWindowStack::WindowId> innermost = OpenModalWindows().Innermost();
    if (!innermost)
        return false;
    // A window still preparing what it shows (the information page's fetch) is not on screen yet: the command is
    // dropped all the same.
    HWND window = reinterpret_cast<HWND>(*innermost);
    if (::IsWindowVisible(window)) {
        ::SetForegroundWindow(window);
        ::BringWindowToTop(window);
    }
    return true;
}

}  // namespace quillcrest
