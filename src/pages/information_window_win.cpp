#include "pages/information_window_win.h"

#include <algorithm>

#include "pages/information_page.h"
#include "pages/page_addresses.h"
#include "pages/pages_window_ids.h"
#include "widgets/dpi_win.h"
#include "widgets/link_opener_win.h"

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
    : pageAddress_(InformationPageAddress(webHost)), picture_(picture), titleFont_(-16, FW_BOLD) {
    Create(kClassName, kCaption, kStyle, kExStyle, 0, 0, kWidth, kHeight, owner);
    HWND self = hwnd();
    // The client area that the outer size leaves at 96 dpi.
    const RECT designFrame = FrameForClient(0, 0, kStyle, kExStyle, kDesignDpi);
    const int clientWidth = kWidth - (designFrame.right - designFrame.left);
    const int clientHeight = kHeight - (designFrame.bottom - designFrame.top);
    controls_ = std::make_unique<ScaledControls>(LayoutBox{0, 0, clientWidth, clientHeight});
    auto add = [this, self](const char* className, const char* text, DWORD style, int id, LayoutBox box,
                            const ScaledFont* font) {
        return controls_->Add(
            CreateControl(self, className, text, style, id, {box.x, box.y, box.Right(), box.Bottom()}), box, font);
    };

    // The picture's text is not drawn; it is the name screen readers announce for it.
    pictureControl_ = add("STATIC", kTitle, WS_VISIBLE | SS_ICON | SS_REALSIZEIMAGE, ids::kInformationPicture,
                          {kMargin, kMargin, kPictureSize, kPictureSize}, nullptr);
    add("STATIC", kTitle, WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE, 0,
        {2 * kMargin + kPictureSize, kMargin, clientWidth - 3 * kMargin - kPictureSize, kPictureSize}, &titleFont_);

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
    controls_->Add(view_->hwnd(), {viewLeft, viewTop, kViewWidth, kViewHeight}, nullptr);
    const int buttonRight = viewLeft + kViewWidth;
    add("BUTTON", "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, ids::kInformationOkButton,
        {buttonRight - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight}, &font_);

    const int dpi = WindowDpi(self);
    const LayoutBox client = controls_->ScaledClient(dpi);
    const RECT frame = FrameForClient(client.width, client.height, kStyle, kExStyle, dpi);
    ::SetWindowPos(self, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    OnDpiChanged(dpi);
}

void InformationWindow::ApplyPicture(int dpi) {
    const int size = ScaleToDpi(kPictureSize, dpi);
    // Copied from the icon's resource at the size that fits, not stretched from the size it was loaded at.
    UniqueIcon old = std::move(scaledPicture_);
    scaledPicture_.reset(static_cast<HICON>(::CopyImage(picture_, IMAGE_ICON, size, size, LR_COPYFROMRESOURCE)));
    ::SendMessageA(pictureControl_, STM_SETICON,
                   reinterpret_cast<WPARAM>(scaledPicture_ ? scaledPicture_.get() : picture_), 0);
}

void InformationWindow::OnDpiChanged(int dpi) {
    const UniqueGdiObject oldFont = font_.Rescale(dpi);
    const UniqueGdiObject oldTitleFont = titleFont_.Rescale(dpi);
    ApplyPicture(dpi);
    controls_->Place(dpi);
    view_->SetDpi(dpi);
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
