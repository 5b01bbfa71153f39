#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "widgets/window_win.h"

namespace quillcrest {

// The program's icon in the notification area. Its callback messages arrive at a hidden top-level window of its
// own, which also hears the shell's "TaskbarCreated" broadcast after a restart of the shell and then puts the
// icon back if it was showing. Whether the icon is "active" (the owner's minimise and close hide to the tray) is
// the owner's business; this class only shows and removes the icon.
class TrayIcon : public Window {
  public:
    struct Events {
        std::function<void()> onMenuRequest;  // right button pressed, or the keyboard's context-menu request
        std::function<void()> onDoubleClick;  // any mouse button
    };

    TrayIcon(HICON icon, const std::string& tooltip, Events events);
    ~TrayIcon() override;

    // Adds the icon (and asks for the version-3 callback messages); raises when the shell refuses it. An icon
    // that is already showing stays as it is, also one the shell already holds though this object did not know.
    void Show();
    // Removes the icon if it is showing.
    void Remove();
    bool IsShown() const { return shown_; }

    // Opens `menu` at the mouse position with `owner` in the foreground (or the menu never closes), and returns
    // the chosen command id (0 for none).
    static UINT TrackMenu(HMENU menu, HWND owner);

    static constexpr UINT kCallbackMessage = WM_APP + 0x51;
    static constexpr UINT kIconId = 1;

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    NOTIFYICONDATAA Data(UINT flags) const;
    // Puts the icon in the notification area, or refreshes it when it is there already; false when refused.
    bool AddOrRefresh();
    void OnTaskbarCreated();

    HICON icon_;
    std::string tooltip_;
    Events events_;
    UINT taskbarCreatedMessage_;
    bool shown_ = false;
    bool menuOpenedByPress_ = false;
};

}  // namespace quillcrest
