#include "app/main_window_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/administrator_check_win.h"
#include "app/application_win.h"
#include "app/error_boxes_win.h"
#include "app/gate_messages.h"
#include "app/platform_check_win.h"
#include "app/resources/resource_ids.h"
#include "app/start_with_windows_win.h"

namespace quillcrest {
namespace {

constexpr int kFontHeight = -11;
constexpr char kFontFace[] = "Tahoma";
constexpr int kBannerHeight = 56;
constexpr int kPanelHeight = 44;
constexpr int kStartUpSubclassId = 1;
constexpr int kImageSize = 48;

constexpr COLORREF kBannerTop = RGB(0x0B, 0x4F, 0x8A);
constexpr COLORREF kBannerBottom = RGB(0x2F, 0x86, 0xD1);

void FillVerticalGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom) {
    TRIVERTEX vertices[2] = {
        {rect.left, rect.top, static_cast<COLOR16>(GetRValue(top) << 8), static_cast<COLOR16>(GetGValue(top) << 8),
         static_cast<COLOR16>(GetBValue(top) << 8), 0},
        {rect.right, rect.bottom, static_cast<COLOR16>(GetRValue(bottom) << 8),
         static_cast<COLOR16>(GetGValue(bottom) << 8), static_cast<COLOR16>(GetBValue(bottom) << 8), 0},
    };
    GRADIENT_RECT gradient = {0, 1};
    ::GradientFill(dc, vertices, 2, &gradient, 1, GRADIENT_FILL_RECT_V);
}

}  // namespace

TForm6::TForm6(Application& application) : application_(application) {
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;

    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    HICON icon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_APPICON));
    Create(kClassName, kCaption, style, exStyle, x, y, width, height, nullptr, icon);

    font_.reset(::CreateFontA(kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kFontFace));
    bannerFont_.reset(::CreateFontA(-20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kFontFace));
    bigIcon_.reset(static_cast<HICON>(
        ::LoadImageA(instance, MAKEINTRESOURCEA(IDI_APPICON), IMAGE_ICON, kImageSize, kImageSize, LR_DEFAULTCOLOR)));
    CreateControls();
    RunHandler([this] { FormCreate(); });
}

TForm6::~TForm6() {
    if (startUp_)
        ::RemoveWindowSubclass(startUp_, &TForm6::StartUpSubclassProc, kStartUpSubclassId);
}

HWND TForm6::AddControl(HWND parent,
                        const char* className,
                        const char* text,
                        DWORD style,
                        int id,
                        int x,
                        int y,
                        int width,
                        int height) {
    HWND control =
        ::CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return control;
}

void TForm6::CreateControls() {
    HWND self = hwnd();
    HWND banner =
        AddControl(self, WC_STATICA, "", SS_OWNERDRAW | SS_NOTIFY, kAdvPicture1, 0, 0, kClientWidth, kBannerHeight);
    ::SetClassLongPtrA(banner, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(::LoadCursorA(nullptr, IDC_HAND)));

    HWND image = AddControl(self, WC_STATICA, "", SS_ICON | SS_REALSIZEIMAGE | SS_CENTERIMAGE, kImage1, 14, 74,
                            kImageSize, kImageSize);
    ::SendMessageA(image, STM_SETICON, reinterpret_cast<WPARAM>(bigIcon_.get()), 0);

    HWND group = AddControl(self, WC_BUTTONA, "DNS Selection", BS_GROUPBOX, kRadio1, 76, 64, 346, 66);
    // The frame lies over the radio buttons; painted last, it would blacken their surroundings.
    ::SetWindowLongPtrA(group, GWL_EXSTYLE, ::GetWindowLongPtrA(group, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    AddControl(self, WC_BUTTONA, "Use my Default (originall) DNS settings", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP,
               kRadioDefault, 90, 84, 320, 18);
    AddControl(self, WC_BUTTONA, "Use OpenDNS for all DNS Queries", BS_AUTORADIOBUTTON, kRadioOpenDns, 90, 104, 320,
               18);
    AddControl(self, WC_BUTTONA, "Check My Current DNS Settings", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP,
               kAdvGlowButton2, 76, 142, 346, 30);
    startUp_ = AddControl(self, WC_BUTTONA, "Monitor My DNS Settings for Unauthorized Changes",
                          BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, kStartUp, 76, 186, 346, 20);
    ::SetWindowSubclass(startUp_, &TForm6::StartUpSubclassProc, kStartUpSubclassId, reinterpret_cast<DWORD_PTR>(this));

    panel1_ = std::make_unique<Panel>(self, kPanel1, 0, kClientHeight - kPanelHeight, kClientWidth, kPanelHeight);
    HWND panel = panel1_->hwnd();
    AddControl(panel, WC_BUTTONA, "Info", BS_PUSHBUTTON | WS_TABSTOP, kAdvGlowButton5, 12, 10, 80, 26);
    HWND apply = AddControl(panel, WC_BUTTONA, "Apply", BS_PUSHBUTTON | WS_TABSTOP, kApplyBtn, 240, 10, 80, 26);
    ::ShowWindow(apply, SW_HIDE);
    closeButton_ =
        AddControl(panel, WC_BUTTONA, "Close", BS_DEFSPLITBUTTON | WS_TABSTOP, kCloseButton, 330, 10, 94, 26);

    closeMenu_.reset(::CreatePopupMenu());
    ::AppendMenuA(closeMenu_.get(), MF_STRING, kClosetoSystemTray1, "Close to System Tray");
    ::AppendMenuA(closeMenu_.get(), MF_STRING, kMenuItem1, "Quit Program");
}

void TForm6::FormCreate() {
    if (!IsAdministrator()) {
        ShowErrorBox(kAdministratorMessage);
        Application::Terminate();
    }
    ::SendMessageA(startUp_, BM_SETCHECK, StartsWithWindows() ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!MonitorBoxTicked())
        RestoreFromTray();
    ::CheckRadioButton(hwnd(), kRadioDefault, kRadioOpenDns, kRadioDefault);
}

void TForm6::FormShow() {
    if (!IsSupportedPlatform()) {
        ShowErrorBox(kPlatformMessage);
        Application::Terminate();
    }
    ::SetFocus(panel1_->hwnd());
}

void TForm6::FormClose() {
    // The closed window is the application's main window, so closing it ends the program.
    Application::Terminate();
}

bool TForm6::MonitorBoxTicked() const {
    return ::SendMessageA(startUp_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TForm6::RestoreFromTray() {
    if (::IsIconic(hwnd()))
        ::ShowWindow(hwnd(), SW_RESTORE);
    ::ShowWindow(hwnd(), SW_SHOW);
    ::SetForegroundWindow(hwnd());
    ::BringWindowToTop(hwnd());
}

void TForm6::StartUpMouseUp() {
    if (MonitorBoxTicked())
        RegisterStartWithWindows();
    else
        UnregisterStartWithWindows();
}

void TForm6::CloseButtonClick() {
    if (MonitorBoxTicked())
        ::PostMessageA(hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else
        ::SendMessageA(hwnd(), WM_CLOSE, 0, 0);
}

void TForm6::ClosetoSystemTray1Click() {
    ::PostMessageA(hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void TForm6::Exit1Click() {
    Application::Terminate();
}

void TForm6::ShowCloseMenu() {
    RECT rect;
    ::GetWindowRect(closeButton_, &rect);
    const UINT command = ::TrackPopupMenuEx(closeMenu_.get(), TPM_RETURNCMD | TPM_RIGHTALIGN | TPM_TOPALIGN, rect.right,
                                            rect.bottom, hwnd(), nullptr);
    if (command == kClosetoSystemTray1)
        ClosetoSystemTray1Click();
    else if (command == kMenuItem1)
        Exit1Click();
}

void TForm6::PaintBanner(const DRAWITEMSTRUCT& item) {
    FillVerticalGradient(item.hDC, item.rcItem, kBannerTop, kBannerBottom);
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, RGB(0xFF, 0xFF, 0xFF));
    HGDIOBJ old = ::SelectObject(item.hDC, bannerFont_.get());
    RECT text = item.rcItem;
    text.left += 16;
    ::DrawTextA(item.hDC, "Quillcrest", -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    ::SelectObject(item.hDC, font_.get());
    text.right -= 16;
    ::DrawTextA(item.hDC, "Guarding your DNS settings", -1, &text, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    ::SelectObject(item.hDC, old);
}

LRESULT CALLBACK
TForm6::StartUpSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    // The handler runs on the mouse release only, after the button has toggled itself; a change by keyboard
    // must not touch the Run entry.
    const LRESULT result = ::DefSubclassProc(hwnd, message, wParam, lParam);
    if (message == WM_LBUTTONUP) {
        auto* self = reinterpret_cast<TForm6*>(data);
        RunHandler([self] { self->StartUpMouseUp(); });
    }
    return result;
}

LRESULT TForm6::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SHOWWINDOW:
            if (wParam)
                RunHandler([this] { FormShow(); });
            return DefaultHandling(message, wParam, lParam);
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case kCloseButton:
                    if (HIWORD(wParam) == BN_CLICKED)
                        RunHandler([this] { CloseButtonClick(); });
                    return 0;
                case IDCANCEL:
                    return 0;
            }
            break;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == kCloseButton && header->code == BCN_DROPDOWN) {
                RunHandler([this] { ShowCloseMenu(); });
                return 0;
            }
            break;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item->CtlID == kAdvPicture1) {
                PaintBanner(*item);
                return TRUE;
            }
            break;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            ::SetBkColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        case WM_PRINTCLIENT: {
            // Themed radio buttons ask for the parent's background this way; without it they sit on black.
            RECT client;
            ::GetClientRect(hwnd(), &client);
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, ::GetSysColorBrush(COLOR_BTNFACE));
            return 0;
        }
        case WM_CLOSE:
            RunHandler([this] {
                ::ShowWindow(hwnd(), SW_HIDE);
                FormClose();
            });
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
    }
    return DefaultHandling(message, wParam, lParam);
}

}  // namespace quillcrest
