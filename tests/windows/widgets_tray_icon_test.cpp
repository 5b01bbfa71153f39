#include <windows.h>
#include <gtest/gtest.h>

#include "widgets/tray_icon_win.h"

namespace quillcrest {
namespace {

NOTIFYICONDATAA IconOf(const TrayIcon& tray) {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof(data);
    data.hWnd = tray.hwnd();
    data.uID = TrayIcon::kIconId;
    return data;
}

bool ShellHolds(const TrayIcon& tray) {
    NOTIFYICONDATAA data = IconOf(tray);
    return ::Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

// An add that timed out at logon may still have put the icon there: the next add fails, and the icon must count
// as shown all the same, or the program would retry for ever with its icon on screen.
TEST(TrayIconTest, IconTheShellAlreadyHoldsCountsAsShown) {
    TrayIcon tray(::LoadIconA(nullptr, IDI_APPLICATION), "Quillcrest", {});
    NOTIFYICONDATAA early = IconOf(tray);
    early.uFlags = NIF_ICON | NIF_TIP;
    early.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_ADD, &early));
    ASSERT_FALSE(tray.IsShown());

    EXPECT_NO_THROW(tray.Show());
    EXPECT_TRUE(tray.IsShown());
    EXPECT_TRUE(ShellHolds(tray));
    tray.Remove();
    EXPECT_FALSE(ShellHolds(tray));
}

TEST(TrayIconTest, ShowAddsAndRemoveTakesAway) {
    TrayIcon tray(::LoadIconA(nullptr, IDI_APPLICATION), "Quillcrest", {});
    tray.Show();
    EXPECT_TRUE(ShellHolds(tray));
    tray.Remove();
    EXPECT_FALSE(ShellHolds(tray));
}

}  // namespace
}  // namespace quillcrest
