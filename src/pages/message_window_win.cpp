#include "pages/message_window_win.h"

#include <utility>
#include <vector>

#include "pages/pages_window_ids.h"
#include "widgets/coalescable_timer_win.h"
#include "widgets/dpi_win.h"
#include "widgets/link_opener_win.h"
#include "widgets/modal_window_win.h"

namespace quillcrest {

namespace ids = pages_window_ids;

namespace {

constexpr int kMargin = 8;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 25;
constexpr int kClientWidth = MessageWindow::kViewWidth;
constexpr int kClientHeight = MessageWindow::kViewHeight + 2 * kMargin + kButtonHeight;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
// How late Windows may deliver a tick of the window's timers so that it shares a wake-up of the processor with
// other timers of the system: nothing to schedules of 10 seconds and more, and on a computer that cannot reach
// the message server the fetch retries every 10 seconds for as long as the program runs.
constexpr ULONG kTimerToleranceMs = 1000;

}  // namespace

MessageWindow::MessageWindow(HWND owner, MessageServer server, std::function<bool()> errorReportOnScreen)
    : errorReportOnScreen_(std::move(errorReportOnScreen)),
      schedule_(*this, fetcher_, registry_, clock_, std::move(server), UserDecimalSeparator()),
      controls_({0, 0, kClientWidth, kClientHeight}) {
    Create(kClassName, kCaption, kStyle, kExStyle, 0, 0, kClientWidth, kClientHeight, owner);
    HWND self = hwnd();

    HtmlViewCallbacks callbacks;
    callbacks.onMetaTag = [this](const std::string& name, const std::string& content) {
        schedule_.OnMetaTag(name, content);
    };
    // The message server's pictures are drawn for 96 dots per inch; the view scales them to the display.
    callbacks.onPictureRequest = [this](const std::string& source, int) -> std::optional<HtmlPictureFile> {
        std::optional<std::string> picture = schedule_.OnPictureRequest(source);
        if (!picture)
            return std::nullopt;
        return HtmlPictureFile{std::vector<std::uint8_t>(picture->begin(), picture->end())};
    };
    callbacks.onParseEnd = [this] { schedule_.OnPageLoaded(); };
    callbacks.onLinkClick = [this](const std::string& address) { OpenLinkInBrowser(hwnd(), address); };
    HtmlViewOptions options;
    options.scrollBars = false;
    options.margins = false;
    view_ = std::make_unique<HtmlView>(self, ids::kMessageView, 0, 0, kViewWidth, kViewHeight, callbacks, options);
    controls_.Add(view_->hwnd(), {0, 0, kViewWidth, kViewHeight}, nullptr);

    const LayoutBox thanks{(kClientWidth - kButtonWidth) / 2, kViewHeight + kMargin, kButtonWidth, kButtonHeight};
    controls_.Add(CreateControl(self, "BUTTON", "Thanks", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                ids::kThanksButton, {thanks.x, thanks.y, thanks.Right(), thanks.Bottom()}),
                  thanks, &font_);

    const int dpi = WindowDpi(self);
    const LayoutBox client = controls_.ScaledClient(dpi);
    const RECT frame = FrameForClient(client.width, client.height, kStyle, kExStyle, dpi);
    ::SetWindowPos(self, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    OnDpiChanged(dpi);
    CentreWindow(self, nullptr);
    // The hide timer runs from creation to the end, never stopped.
    SetCoalescableWindowTimer(self, kHideTimerId, MessageSchedule::kHideIntervalMs, kTimerToleranceMs);
    schedule_.Start();
}

MessageWindow::~MessageWindow() {
    if (hwnd()) {
        ::KillTimer(hwnd(), kFetchTimerId);
        ::KillTimer(hwnd(), kHideTimerId);
    }
}

void MessageWindow::OnDpiChanged(int dpi) {
    const UniqueGdiObject oldFont = font_.Rescale(dpi);
    controls_.Place(dpi);
    view_->SetDpi(dpi);
}

void MessageWindow::StartFetchTimer(unsigned intervalMs) {
    // Setting a running timer again restarts it with the new interval.
    SetCoalescableWindowTimer(hwnd(), kFetchTimerId, intervalMs, kTimerToleranceMs);
}

void MessageWindow::StopFetchTimer() {
    ::KillTimer(hwnd(), kFetchTimerId);
}

void MessageWindow::LoadPage(const std::string& body) {
    view_->LoadText(body);
}

bool MessageWindow::IsShowing() const {
    return ::IsWindowVisible(hwnd()) != FALSE;
}

void MessageWindow::ShowInFront() {
    ::ShowWindow(hwnd(), SW_SHOW);
    ::BringWindowToTop(hwnd());
}

void MessageWindow::Hide() {
    ::ShowWindow(hwnd(), SW_HIDE);
}

bool MessageWindow::ErrorReportOnScreen() const {
    return errorReportOnScreen_ && errorReportOnScreen_();
}

void MessageWindow::ReportError(const std::exception& error) {
    ReportException(error);
}

LRESULT MessageWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kFetchTimerId) {
                RunHandler([this] { schedule_.OnFetchTick(); });
                return 0;
            }
            if (wParam == kHideTimerId) {
                RunHandler([this] { schedule_.OnHideTick(); });
                return 0;
            }
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == ids::kThanksButton && HIWORD(wParam) == BN_CLICKED) {
                RunHandler([this] { schedule_.OnThanks(); });
                return 0;
            }
            break;
        case WM_CLOSE:
            // The window lives for the whole run: closing only hides it.
            Hide();
            return 0;
        case WM_CTLCOLORSTATIC:
            ::SetBkColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    return DefaultHandling(message, wParam, lParam);
}

}  // namespace quillcrest
