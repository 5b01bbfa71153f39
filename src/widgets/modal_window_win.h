#pragma once

#include <windows.h>

#include <vector>

#include "widgets/window_win.h"

namespace quillcrest {

// Result numbers of modal windows: 1 for "OK" (and "Save as Default"), 2 for "Fix It", "Fix it" and the close
// box; callers act on 1 and treat every other result alike.
inline constexpr int kModalResultOk = 1;
inline constexpr int kModalResultCancel = 2;

// A top-level window created once, hidden, and shown modally as often as needed. From the moment it is asked
// for, before it prepares itself, every other enabled window of the thread is disabled; then a message loop of
// its own runs (timers keep ticking in it) until a result is set. The close box, Escape and Alt+F4 give
// kModalResultCancel.
class ModalWindow : public Window {
  public:
    // Shows the window centred on `centreOn` (the desktop when null) and returns its result.
    int ShowModal(HWND centreOn = nullptr);
    // Ends the modal loop with this result; outside ShowModal it only hides the window.
    void EndModal(int result);
    // True from the request to show the window until its modal loop ends.
    bool IsOnScreen() const { return running_; }

  protected:
    // Called each time before the window appears, with the other windows already disabled.
    virtual void OnBeforeShow() {}
    // The id of the button that Enter clicks, or 0 for none.
    virtual int DefaultButtonId() const { return 0; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void RunLoop();

    bool running_ = false;
    int result_ = 0;
};

// Places a window of the given outer size at the centre of `centreOn`'s rectangle, or of the desktop's work area.
void CentreWindow(HWND window, HWND centreOn);

}  // namespace quillcrest
