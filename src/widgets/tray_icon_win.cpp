#include "widgets/tray_icon_win.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/exception.h"
#include "base/module_function_win.h"

namespace quillcrest {
namespace {

constexpr char kTrayWindowClass[] = "TTrayIconWindow";
// szTip holds 128 characters with the terminating NUL.
constexpr std::size_t kMaxTooltipChars = 127;

// An elevated process hears nothing from the unelevated shell (messages above WM_USER) unless its window lets
// the message through. Windows before 7 lack the call; there the process-wide filter of Vista is left alone and
// XP filters nothing.
void LetShellMessageThrough(HWND window, UINT message) {
    using ChangeFilterEx = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
    const auto changeFilter =
        ModuleFunction<ChangeFilterEx>(::GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilterEx");
    if (changeFilter && message != 0)
        changeFilter(window, message, MSGFLT_ALLOW, nullptr);
}

}  // namespace

TrayIcon::TrayIcon(HICON icon, const std::string& tooltip, Events events)
    : icon_(icon),
      tooltip_(tooltip.substr(0, kMaxTooltipChars)),
      events_(std::move(events)),
      taskbarCreatedMessage_(::RegisterWindowMessageA("TaskbarCreated")) {
    // A hidden top-level window, not a message-only one: those never hear broadcasts such as TaskbarCreated.
    Create(kTrayWindowClass, "", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr);
    // Without these, the icon of a program started "as administrator" is gone for good after a shell restart.
    LetShellMessageThrough(hwnd(), taskbarCreatedMessage_);
    LetShellMessageThrough(hwnd(), kCallbackMessage);
}

TrayIcon::~TrayIcon() {
    // Deleted before its window goes, or the shell keeps a dead icon (and closing can stall).
    Remove();
}

NOTIFYICONDATAA TrayIcon::Data(UINT flags) const {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof(data);
    data.hWnd = hwnd();
    data.uID = kIconId;
    data.uFlags = flags;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = icon_;
    std::memcpy(data.szTip, tooltip_.c_str(), tooltip_.size() + 1);
    return data;
}

bool TrayIcon::AddOrRefresh() {
    // An icon that is already there (an add that timed out at logon may still have gone through; a shell that
    // restarted only in part kept it) makes the add fail; refreshing it is all that is needed.
    NOTIFYICONDATAA data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    if (!::Shell_NotifyIconA(NIM_ADD, &data) && !::Shell_NotifyIconA(NIM_MODIFY, &data))
        return false;
    data.uVersion = NOTIFYICON_VERSION;
    ::Shell_NotifyIconA(NIM_SETVERSION, &data);
    return true;
}

void TrayIcon::Show() {
    if (shown_)
        return;
    if (!AddOrRefresh())
        throw Exception("The notification area refused the icon");
    shown_ = true;
}

void TrayIcon::Remove() {
    if (!shown_)
        return;
    NOTIFYICONDATAA data = Data(0);
    ::Shell_NotifyIconA(NIM_DELETE, &data);
    shown_ = false;
}

void TrayIcon::OnTaskbarCreated() {
    // A restarted shell has forgotten every icon.
    if (shown_)
        AddOrRefresh();
}

UINT TrayIcon::TrackMenu(HMENU menu, HWND owner) {
    POINT at;
    ::GetCursorPos(&at);
    ::SetForegroundWindow(owner);
    // Let the foreground change take effect before the menu opens.
    MSG pending;
    while (::PeekMessageA(&pending, nullptr, 0, 0, PM_REMOVE)) {
        if (pending.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(pending.wParam));
            return 0;
        }
        ::TranslateMessage(&pending);
        ::DispatchMessageA(&pending);
    }
    const UINT command = ::TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_BOTTOMALIGN | TPM_RIGHTALIGN,
                                            at.x, at.y, owner, nullptr);
    // The documented companion of SetForegroundWindow above: without it the menu may not open a second time.
    ::PostMessageA(owner, WM_NULL, 0, 0);
    return command;
}

LRESULT TrayIcon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == taskbarCreatedMessage_ && taskbarCreatedMessage_ != 0) {
        OnTaskbarCreated();
        return 0;
    }
    if (message != kCallbackMessage)
        return DefaultHandling(message, wParam, lParam);
    switch (static_cast<UINT>(lParam)) {
        case WM_RBUTTONDOWN:
            menuOpenedByPress_ = true;
            if (events_.onMenuRequest)
                events_.onMenuRequest();
            break;
        case WM_CONTEXTMENU:
            // The shell also reports the release of the right button this way; only the keyboard's request
            // opens the menu here.
            if (!std::exchange(menuOpenedByPress_, false) && events_.onMenuRequest)
                events_.onMenuRequest();
            break;
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            if (events_.onDoubleClick)
                events_.onDoubleClick();
            break;
    }
    return 0;
}

}  // namespace quillcrest
