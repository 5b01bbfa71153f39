#pragma once

#include "widgets/window_win.h"

namespace quillcrest {

// A plain container that can hold the keyboard focus and hands its children's notifications to its parent, so
// the owning window handles every control's events in one place.
class Panel : public Window {
  public:
    Panel(HWND parent, int id, int x, int y, int width, int height);

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace quillcrest
