#pragma once

#include "widgets/window_win.h"

namespace quillcrest {

// A hidden top-level window of the program that has its class and caption but no contents yet. It holds the
// window's place in the start-up order.
class WindowShell : public Window {
  public:
    WindowShell(const char* className, const char* caption, int clientWidth, int clientHeight);
};

}  // namespace quillcrest
