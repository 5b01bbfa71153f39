#pragma once

#include "widgets/modal_window_win.h"

namespace quillcrest {

// A hidden top-level window that has a class and a caption but no contents: a stand-in where a program window
// must exist without its behaviour (the leak benchmark uses it for the page windows).
class WindowShell : public ModalWindow {
  public:
    WindowShell(const char* className, const char* caption, int clientWidth, int clientHeight);
};

}  // namespace quillcrest
