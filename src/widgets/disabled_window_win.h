#pragma once

#include <windows.h>

namespace quillcrest {

// Keeps a window from taking input for as long as it lives and gives it back the state it had on every way out,
// an exception included: a window that was disabled before stays disabled, so an outer guard or a modal box that
// disabled it keeps it that way. A null window is left alone.
class DisabledWindow {
  public:
    explicit DisabledWindow(HWND window);
    ~DisabledWindow();
    DisabledWindow(const DisabledWindow&) = delete;
    DisabledWindow& operator=(const DisabledWindow&) = delete;

  private:
    // The window this guard disabled; null when there was none or it was disabled already.
    HWND window_;
};

}  // namespace quillcrest
