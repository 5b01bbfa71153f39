#pragma once

#include "widgets/modal_window_win.h"

namespace quillcrest {

// A hidden top-level window of the program that has its class and caption but no contents yet. It holds the
// window's place in the start-up order and can already be shown modally or on its own.
class WindowShell : public ModalWindow {
  public:
    WindowShell(const char* className, const char* caption, int clientWidth, int clientHeight);
};

}  // namespace quillcrest
