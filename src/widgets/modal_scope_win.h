#pragma once

#include <windows.h>

namespace quillcrest {

// Marks a window of the user-interface thread as up modally for as long as the object lives (see
// ModalWindowStack); every modal window and message box of the program opens inside one.
class ModalScope {
  public:
    explicit ModalScope(HWND window);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

  private:
    HWND window_;
};

// For commands that come from outside the program's windows (the tray icon's): while a modal window is up, brings
// it to the front (once it is on screen) and answers true, and the caller leaves its own command undone, as the
// modal window asks. False when no modal window is up.
bool BringModalWindowToFront();

}  // namespace quillcrest
