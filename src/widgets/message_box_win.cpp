#include "widgets/message_box_win.h"

#include <functional>
#include <optional>

#include "base/utf8_text_win.h"
#include "base/win_handles_win.h"
#include "widgets/application_window_win.h"
#include "widgets/modal_scope_win.h"
#include "widgets/task_windows_disabled_win.h"

namespace quillcrest {
namespace {

// The scope of the box being opened, until its window exists: the system creates the box's top-level window
// first thing inside MessageBoxA, before it dispatches any message.
std::optional<ModalScope>* g_openingBox = nullptr;

LRESULT CALLBACK NoteBoxWindow(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && g_openingBox && !g_openingBox->has_value()) {
        const auto* creation = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
        if (!(creation->lpcs->style & WS_CHILD))
            g_openingBox->emplace(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

HWND BoxOwner() {
    HWND active = ::GetActiveWindow();
    return active ? active : ApplicationWindow();
}

// Shows the box that show opens for its owner, modal for the whole program.
int ShowModalBox(const std::function<int(HWND owner)>& show) {
    HWND owner = BoxOwner();
    // The box disables its owner itself and enables it again before it goes, so that the owner is activated again.
    const TaskWindowsDisabled disabled(owner);
    std::optional<ModalScope> scope;
    std::optional<ModalScope>* const outerBox = g_openingBox;
    g_openingBox = &scope;
    const UniqueHook hook(::SetWindowsHookExA(WH_CBT, &NoteBoxWindow, nullptr, ::GetCurrentThreadId()));
    const int pressed = show(owner);
    g_openingBox = outerBox;
    return pressed;
}

}  // namespace

int ShowModalMessageBox(const std::string& text, const char* caption, UINT style) {
    return ShowModalBox([&](HWND owner) { return ::MessageBoxA(owner, text.c_str(), caption, style); });
}

int ShowModalUnicodeMessageBox(const std::string& text, const std::string& caption, UINT style) {
    const std::wstring wideText = WideFromUtf8(text);
    const std::wstring wideCaption = WideFromUtf8(caption);
    return ShowModalBox([&](HWND owner) { return ::MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), style); });
}

}  // namespace quillcrest
