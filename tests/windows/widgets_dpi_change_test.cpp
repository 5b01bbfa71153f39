#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/application_win.h"
#include "app/main_window_ids.h"
#include "app/main_window_layout.h"
#include "app/main_window_win.h"
#include "support/row_name.h"
#include "watch/watch_dialogs_win.h"
#include "widgets/display_scale.h"
#include "widgets/dpi_win.h"
#include "widgets/notice_dialog_win.h"

namespace quillcrest {
namespace {

namespace ids = main_window_ids;
namespace layout = main_window_layout;

constexpr DWORD kMainStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

void DiscardPending() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&message);
}

RECT WindowRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

// A control's rectangle in its parent's client coordinates, as a layout box.
LayoutBox ControlBox(HWND control) {
    RECT rect = WindowRect(control);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

int FontHeight(HWND control) {
    LOGFONTA font{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font.lfHeight;
}

int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info))
        return 0;
    BITMAP bitmap{};
    ::GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

BOOL CALLBACK CheckButtonText(HWND control, LPARAM dpi) {
    char className[16] = {};
    ::GetClassNameA(control, className, sizeof(className));
    if (lstrcmpiA(className, "Button") != 0 || ::GetWindowTextLengthA(control) == 0)
        return TRUE;
    char text[256] = {};
    const int length = ::GetWindowTextA(control, text, sizeof(text));
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, text, length, &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    // A check box or radio button draws its glyph (13 pixels at 96 dpi) and a gap beside the text.
    const LONG_PTR kind = ::GetWindowLongPtrA(control, GWL_STYLE) & BS_TYPEMASK;
    const bool glyph = kind == BS_AUTOCHECKBOX || kind == BS_AUTORADIOBUTTON;
    const LayoutBox box = ControlBox(control);
    EXPECT_LE(extent.cx + (glyph ? ScaleToDpi(16, static_cast<int>(dpi)) : 0), box.width)
        << "control " << ::GetDlgCtrlID(control) << " \"" << text << "\"";
    EXPECT_LE(extent.cy, box.height) << "control " << ::GetDlgCtrlID(control);
    return TRUE;
}

// No button, box or frame of the window is narrower or lower than its text, measured with its own font.
void ExpectButtonsHoldTheirTexts(HWND window, int dpi) {
    ::EnumChildWindows(window, &CheckButtonText, dpi);
}

// Sends what Windows sends when the window reaches a display of another density, with the rectangle it suggests
// there; Wine never moves a window between displays, so the test stands in for the system.
RECT SendDpiChange(HWND window, int dpi, POINT corner, int clientWidth, int clientHeight, DWORD style, DWORD exStyle) {
    const RECT frame = FrameForClient(ScaleToDpi(clientWidth, dpi), ScaleToDpi(clientHeight, dpi), style, exStyle, dpi);
    RECT suggested{corner.x, corner.y, corner.x + frame.right - frame.left, corner.y + frame.bottom - frame.top};
    ::SendMessageA(window, kDpiChangedMessage, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    return suggested;
}

struct DpiCase {
    const char* name;
    int dpi;
};

const std::vector<DpiCase> kDpiCases{{"125 percent", 120}, {"150 percent", 144}, {"200 percent", 192}};

class MainWindowDpiChangeTest : public testing::TestWithParam<DpiCase> {};

// The window takes the suggested rectangle; its controls take their scaled places (the same the layout gives)
// with fonts of the new density that their texts fit; back at 96 dpi everything is where it was. (The side
// picture comes from the program's icon, which this test program does not carry: the end-to-end run shows it.)
TEST_P(MainWindowDpiChangeTest, TakesTheSuggestedRectangleAndRescalesItsControls) {
    const DpiCase& row = GetParam();
    SCOPED_TRACE(row.name);
    GateChecks gates{[] { return true; }, [] { return true; }, [](const char*) {}};
    Application application("QuillcrestDpiChangeTest");
    MainWindow window(application, gates);
    DiscardPending();
    ASSERT_EQ(window.Dpi(), kDesignDpi) << "the test prefix runs at 96 dpi";
    HWND self = window.hwnd();
    HWND panel = ::GetDlgItem(self, ids::kBottomPanel);
    const std::vector<std::pair<HWND, LayoutBox>> controls{
        {::GetDlgItem(self, ids::kDnsSelectionGroup), layout::kDnsSelectionGroup},
        {::GetDlgItem(self, ids::kUseOpenDnsChoice), layout::kUseOpenDnsChoice},
        {::GetDlgItem(self, ids::kCheckDnsButton), layout::kCheckDnsButton},
        {::GetDlgItem(self, ids::kMonitorBox), layout::kMonitorBox},
        {panel, layout::kBottomPanel},
        {::GetDlgItem(panel, ids::kCloseButton), layout::kCloseButton},
    };
    // The window's whole layout, in the order it places it.
    const std::vector<LayoutBox> mainBoxes = ScaleLayout(
        {layout::kClient, layout::kBanner, layout::kSideImage, layout::kDnsSelectionGroup, layout::kUseDefaultDnsChoice,
         layout::kUseOpenDnsChoice, layout::kCheckDnsButton, layout::kMonitorBox, layout::kBottomPanel},
        row.dpi);
    const std::vector<LayoutBox> panelBoxes =
        ScaleLayout({layout::kPanelClient, layout::kInfoButton, layout::kApplyButton, layout::kCloseButton}, row.dpi);
    const std::vector<LayoutBox> expected{mainBoxes[3], mainBoxes[5], mainBoxes[6],
                                          mainBoxes[7], mainBoxes[8], panelBoxes[3]};
    std::vector<LayoutBox> before;
    for (const auto& [control, box] : controls) {
        ASSERT_NE(control, nullptr);
        before.push_back(ControlBox(control));
        EXPECT_EQ(before.back(), box);
    }

    const RECT suggested = SendDpiChange(self, row.dpi, {40, 30}, MainWindow::kClientWidth, MainWindow::kClientHeight,
                                         kMainStyle, kMainExStyle);

    EXPECT_EQ(window.Dpi(), row.dpi);
    const RECT now = WindowRect(self);
    EXPECT_EQ(now.left, suggested.left);
    EXPECT_EQ(now.top, suggested.top);
    EXPECT_EQ(now.right, suggested.right);
    EXPECT_EQ(now.bottom, suggested.bottom);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(::GetDlgCtrlID(controls[i].first)));
        EXPECT_EQ(ControlBox(controls[i].first), expected[i]);
    }
    EXPECT_EQ(FontHeight(::GetDlgItem(self, ids::kCheckDnsButton)), ScaleToDpi(-11, row.dpi));
    EXPECT_EQ(FontHeight(::GetDlgItem(panel, ids::kInfoButton)), ScaleToDpi(-11, row.dpi));
    ExpectButtonsHoldTheirTexts(self, row.dpi);
    SendDpiChange(self, kDesignDpi, {40, 30}, MainWindow::kClientWidth, MainWindow::kClientHeight, kMainStyle,
                  kMainExStyle);
    for (std::size_t i = 0; i < controls.size(); ++i)
        EXPECT_EQ(ControlBox(controls[i].first), before[i]);
    EXPECT_EQ(FontHeight(::GetDlgItem(self, ids::kCheckDnsButton)), -11);
    DiscardPending();
}

INSTANTIATE_TEST_SUITE_P(Table, MainWindowDpiChangeTest, testing::ValuesIn(kDpiCases), fakes::RowName<DpiCase>);

class NoticeDialogDpiChangeTest : public testing::TestWithParam<DpiCase> {};

// The alert measures its texts again with the new fonts: every text still fits its label, the buttons keep one
// scaled size, and the warning picture is the system's at the new size.
TEST_P(NoticeDialogDpiChangeTest, MeasuresItsTextsAgainAtTheNewDensity) {
    const DpiCase& row = GetParam();
    SCOPED_TRACE(row.name);
    NoticeDialog dialog(AlertDialogDesign(), nullptr);
    HWND self = dialog.hwnd();
    const RECT suggested =
        SendDpiChange(self, row.dpi, {20, 20}, 420, 160, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME);
    EXPECT_EQ(WindowRect(self).left, suggested.left);
    EXPECT_EQ(WindowRect(self).top, suggested.top);
    RECT client{};
    ::GetClientRect(self, &client);
    EXPECT_EQ(client.right, ScaleToDpi(420, row.dpi));
    for (int i = 0; i < 3; ++i) {
        HWND label = ::GetDlgItem(self, NoticeDialog::kFirstTextId + i);
        SCOPED_TRACE(i);
        ASSERT_NE(label, nullptr);
        const int height = FontHeight(label);
        EXPECT_EQ(height, ScaleToDpi(-11, row.dpi));
        // The label holds its text wrapped in its width, measured with its own font.
        char text[512] = {};
        ::GetWindowTextA(label, text, sizeof(text));
        const LayoutBox box = ControlBox(label);
        HDC dc = ::GetDC(label);
        HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0)));
        RECT needed{0, 0, box.width, 0};
        ::DrawTextA(dc, text, -1, &needed, DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
        ::SelectObject(dc, old);
        ::ReleaseDC(label, dc);
        EXPECT_GE(box.height, needed.bottom);
        EXPECT_LE(box.Right(), client.right);
    }
    ExpectButtonsHoldTheirTexts(self, row.dpi);
    const LayoutBox ok = ControlBox(::GetDlgItem(self, NoticeDialog::kFirstButtonId));
    const LayoutBox fixIt = ControlBox(::GetDlgItem(self, NoticeDialog::kFirstButtonId + 1));
    EXPECT_EQ(ok.width, ScaleToDpi(84, row.dpi));
    EXPECT_EQ(fixIt.width, ok.width);
    EXPECT_EQ(ok.height, ScaleToDpi(25, row.dpi));
    EXPECT_LE(ok.Right(), fixIt.x);
    EXPECT_LE(fixIt.Bottom(), client.bottom);
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(::SendMessageA(::GetDlgItem(self, 0), STM_GETICON, 0, 0))),
              ScaleToDpi(32, row.dpi));
}

INSTANTIATE_TEST_SUITE_P(Table, NoticeDialogDpiChangeTest, testing::ValuesIn(kDpiCases), fakes::RowName<DpiCase>);

}  // namespace
}  // namespace quillcrest
