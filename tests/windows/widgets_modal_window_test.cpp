#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/win_handles_win.h"
#include "support/widgets_look_inside_modal_win.h"
#include "widgets/message_box_win.h"
#include "widgets/modal_scope_win.h"
#include "widgets/notice_dialog_win.h"

namespace quillcrest {
namespace {

using fakes::LookInside;

UniqueWindow VisibleWindow(const char* caption) {
    return UniqueWindow(::CreateWindowExA(0, "STATIC", caption, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 240, 120,
                                          nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr));
}

HWND VisibleMessageBoxOfThisThread() {
    HWND found = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM param) -> BOOL {
            char className[16] = {};
            ::GetClassNameA(hwnd, className, sizeof className);
            if (std::string(className) == "#32770" && ::IsWindowVisible(hwnd)) {
                *reinterpret_cast<HWND*>(param) = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The "Confirm" question of a revert: while it is up the main window takes no click (Apply, Check, Close), and
// the tray's commands bring the question to the front.
TEST(ModalMessageBox, DisablesTheOtherWindowsWhileUpAndIsTheWindowToAnswer) {
    const UniqueWindow mainWindow = VisibleWindow("Stand-in main window");
    ASSERT_TRUE(mainWindow);
    ::SetActiveWindow(nullptr);
    EXPECT_FALSE(BringModalWindowToFront());

    bool mainEnabledUnderTheBox = true;
    bool broughtToFront = false;
    HWND boxInFront = nullptr;
    HWND box = nullptr;
    LookInside([&] { return (box = VisibleMessageBoxOfThisThread()) != nullptr; },
               [&] {
                   mainEnabledUnderTheBox = ::IsWindowEnabled(mainWindow.get()) != FALSE;
                   ::SetForegroundWindow(mainWindow.get());
                   broughtToFront = BringModalWindowToFront();
                   boxInFront = ::GetForegroundWindow();
                   ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                                  reinterpret_cast<LPARAM>(::GetDlgItem(box, IDYES)));
               });
    const int pressed =
        ShowModalMessageBox("Revert to your default DNS settings?", "Confirm", MB_YESNO | MB_ICONQUESTION);

    EXPECT_EQ(pressed, IDYES);
    EXPECT_FALSE(mainEnabledUnderTheBox);
    EXPECT_TRUE(broughtToFront);
    EXPECT_EQ(boxInFront, box);
    EXPECT_TRUE(::IsWindowEnabled(mainWindow.get()));
    EXPECT_FALSE(BringModalWindowToFront());
}

// A window that appears while a modal one is up (the message window, on its timer) may take the foreground; the
// tray's commands then bring the modal window back in front of it.
TEST(ModalWindowFront, TrayCommandsBringTheModalWindowBackToTheFront) {
    NoticeDialog alert({"QuillcrestTestAlert",
                        "Test Alert",
                        300,
                        IDI_WARNING,
                        {{"Changed", RGB(0xFF, 0, 0)}},
                        {{"OK", 1}, {"Fix It", 2}}},
                       nullptr);
    bool broughtToFront = false;
    HWND inFront = nullptr;
    UniqueWindow lateWindow;
    LookInside([&] { return ::IsWindowVisible(alert.hwnd()) != FALSE; },
               [&] {
                   lateWindow = VisibleWindow("Late window");
                   ::SetForegroundWindow(lateWindow.get());
                   broughtToFront = BringModalWindowToFront();
                   inFront = ::GetForegroundWindow();
                   alert.EndModal(kModalResultCancel);
               });
    EXPECT_EQ(alert.ShowModal(), kModalResultCancel);
    EXPECT_TRUE(broughtToFront);
    EXPECT_EQ(inFront, alert.hwnd());
    EXPECT_FALSE(BringModalWindowToFront());
}

}  // namespace
}  // namespace quillcrest
