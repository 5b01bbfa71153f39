#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "base/win_handles_win.h"
#include "widgets/window_win.h"

namespace quillcrest {

// A short notice at the bottom right of the work area that fades in and hides itself after a while. It never
// takes the focus and is not topmost. The fade runs on a thread of its own (see RunFade), which hands each new
// opacity to the user-interface thread as a posted message; only that thread touches the window.
class PopupNotification : public Window {
  public:
    // Sizes at 96 dots per inch; the notice takes the density of the display it appears on.
    struct Design {
        std::string text;
        int width;
        int height;
        const char* fontFace;
        int fontPoints;
        COLORREF textColour;
        BYTE finalOpacity;
        BYTE opacityStep;
        DWORD stepMs;  // the fade lasts finalOpacity / opacityStep steps of this length, whatever the system's tick
        DWORD visibleMs;  // from the moment it appears until it hides itself
    };

    explicit PopupNotification(Design design);
    ~PopupNotification() override;

    void Show();
    void Hide();
    bool IsShowing() const { return ::IsWindowVisible(hwnd()) != FALSE; }
    BYTE opacity() const { return opacity_; }

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void StopFade();
    void Paint();
    // The font for the density the notice appears at.
    void ScaleFont(int dpi);

    static constexpr UINT kOpacityStepMessage = WM_APP + 0x61;
    static constexpr UINT_PTR kHideTimerId = 1;

    Design design_;
    UniqueGdiObject font_;
    int dpi_ = 0;
    std::thread fader_;
    std::atomic<bool> stopFade_{false};
    BYTE opacity_ = 0;
};

}  // namespace quillcrest
