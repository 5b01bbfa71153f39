#include "elevation/confirmation_box_win.h"

#include <windows.h>

#include <cstring>
#include <functional>

#include "base/exception.h"
#include "base/system_message_win.h"
#include "base/utf8_text_win.h"

namespace quillcrest {
namespace {

// How often the box is looked at until it is seen on screen.
constexpr UINT kBringUpCheckMs = 100;
constexpr char kDialogClass[] = "#32770";
constexpr int kClassNameChars = 16;

bool g_boxSeenUp = false;

BOOL CALLBACK BringUpBox(HWND window, LPARAM) {
    char className[kClassNameChars] = {};
    ::GetClassNameA(window, className, kClassNameChars);
    if (std::strcmp(className, kDialogClass) != 0)
        return TRUE;
    if (::IsWindowVisible(window) && !::IsIconic(window)) {
        g_boxSeenUp = true;
        return FALSE;
    }
    // The first ShowWindow of a process may take the show state its starter asked for (hidden, minimized)
    // instead of the box's own; any later one is obeyed.
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::SetForegroundWindow(window);
    return FALSE;
}

// A thread timer: its ticks are dispatched inside the box's own message loop.
void CALLBACK OnBringUpCheck(HWND, UINT, UINT_PTR timer, DWORD) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &BringUpBox, 0);
    if (g_boxSeenUp)
        ::KillTimer(nullptr, timer);
}

constexpr UINT kConfirmationBoxStyle = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND | MB_TOPMOST;

// Shows a box through showBox while bringing it up, and answers whether "Yes" was pressed.
bool AskWhileBringingUp(const std::function<int()>& showBox) {
    g_boxSeenUp = false;
    const UINT_PTR bringUpCheck = ::SetTimer(nullptr, 0, kBringUpCheckMs, &OnBringUpCheck);
    const int pressed = showBox();
    const DWORD error = ::GetLastError();
    if (bringUpCheck != 0)
        ::KillTimer(nullptr, bringUpCheck);
    if (pressed == 0) {
        const std::string reason = SystemMessageText(error);
        throw Exception(reason.empty() ? "The confirmation window could not be shown" : reason);
    }
    return pressed == IDYES;
}

}  // namespace

bool AskInConfirmationBox(const std::string& text, const char* caption) {
    return AskWhileBringingUp([&] { return ::MessageBoxA(nullptr, text.c_str(), caption, kConfirmationBoxStyle); });
}

bool AskInUnicodeConfirmationBox(const std::string& text, const char* caption) {
    const std::wstring wideText = WideFromUtf8(text);
    const std::wstring wideCaption = WideFromUtf8(caption);
    return AskWhileBringingUp(
        [&] { return ::MessageBoxW(nullptr, wideText.c_str(), wideCaption.c_str(), kConfirmationBoxStyle); });
}

}  // namespace quillcrest
