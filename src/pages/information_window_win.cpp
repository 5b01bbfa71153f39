#include "pages/information_window_win.h"

#include <algorithm>

#include "pages/information_page.h"
#include "pages/page_addresses.h"
#include "pages/pages_window_ids.h"
#include "widgets/link_opener_win.h"
#include "widgets/ui_font_win.h"

namespace quillcrest {

namespace ids = pages_window_ids;

namespace {

constexpr int kMargin = 8;
constexpr int kPictureSize = 32;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 24;
constexpr char kTitle[] = "Quillcrest";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

}  // namespace

InformationWindow::InformationWindow(HWND owner, const std::string& webHost, HICON picture)
    : pageAddress_(InformationPageAddress(webHost)), font_(CreateUiFont()), titleFont_(CreateUiFont(-16, FW_BOLD)) {
    Create(kClassName, kCaption, kStyle, kExStyle, 0, 0, kWidth, kHeight, owner);
    HWND self = hwnd();
    RECT client;
    ::GetClientRect(self, &client);
    const int clientWidth = client.right;
    const int clientHeight = client.bottom;

    // The picture's text is not drawn; it is the name screen readers announce for it.
    HWND image =
        CreateControl(self, "STATIC", kTitle, WS_VISIBLE | SS_ICON | SS_REALSIZEIMAGE, ids::kInformationPicture,
                      {kMargin, kMargin, kMargin + kPictureSize, kMargin + kPictureSize});
    ::SendMessageA(image, STM_SETICON, reinterpret_cast<WPARAM>(picture), 0);
    HWND title = CreateControl(self, "STATIC", kTitle, WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE, 0,
                               {2 * kMargin + kPictureSize, kMargin, clientWidth - kMargin, kMargin + kPictureSize});
    ::SendMessageA(title, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);

    // The view sits under the picture, centred across the window; the button keeps to the bottom right.
    const int viewLeft = (clientWidth - kViewWidth) / 2;
    const int buttonTop = clientHeight - kMargin / 2 - kButtonHeight;
    const int viewTop = std::max(kMargin + kPictureSize + 2, buttonTop - 4 - kViewHeight);
    HtmlViewCallbacks callbacks;
    callbacks.onLinkClick = [this](const std::string& address) { OpenLinkInBrowser(hwnd(), address); };
    HtmlViewOptions options;
    options.border = true;
    view_ = std::make_unique<HtmlView>(self, ids::kInformationView, viewLeft, viewTop, kViewWidth, kViewHeight,
                                       callbacks, options);
    const int buttonRight = viewLeft + kViewWidth;
    HWND ok = CreateControl(self, "BUTTON", "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, ids::kInformationOkButton,
                            {buttonRight - kButtonWidth, buttonTop, buttonRight, buttonTop + kButtonHeight});
    ::SendMessageA(ok, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
}

int InformationWindow::DefaultButtonId() const {
    return ids::kInformationOkButton;
}

void InformationWindow::OnBeforeShow() {
    ::SetFocus(::GetDlgItem(hwnd(), ids::kInformationOkButton));
    InformationPageActions actions;
    actions.showPage = [this](const std::string& body) {
        view_->LoadText(body);
        ::SetFocus(view_->hwnd());
    };
    actions.reportError = [](const std::exception& error) { ReportException(error); };
    // The report comes before the window opens, which then shows the page as it was.
    RefreshInformationPage(fetcher_, pageAddress_, actions);
}

LRESULT InformationWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == ids::kInformationOkButton && HIWORD(wParam) == BN_CLICKED) {
                EndModal(kModalResultOk);
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
            ::SetBkColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    return ModalWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace quillcrest
