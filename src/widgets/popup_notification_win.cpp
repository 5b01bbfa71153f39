#include "widgets/popup_notification_win.h"

#include <algorithm>
#include <chrono>

#include "widgets/display_scale.h"
#include "widgets/dpi_win.h"
#include "widgets/opacity_fade.h"

namespace quillcrest {
namespace {

constexpr char kPopupClass[] = "TPopupNotification";

int FontHeightForPoints(int points, int dpi) {
    return -::MulDiv(points, dpi, 72);
}

}  // namespace

PopupNotification::PopupNotification(Design design) : design_(std::move(design)) {
    Create(kPopupClass, design_.text.c_str(), WS_POPUP, WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, 0, 0,
           design_.width, design_.height, nullptr);
    ScaleFont(WindowDpi(hwnd()));
}

void PopupNotification::ScaleFont(int dpi) {
    if (dpi == dpi_ && font_)
        return;
    font_.reset(::CreateFontA(FontHeightForPoints(design_.fontPoints, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                              DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                              DEFAULT_PITCH | FF_DONTCARE, design_.fontFace));
    dpi_ = dpi;
}

PopupNotification::~PopupNotification() {
    StopFade();
}

void PopupNotification::StopFade() {
    stopFade_ = true;
    if (fader_.joinable())
        fader_.join();
    stopFade_ = false;
}

void PopupNotification::Show() {
    StopFade();
    RECT work;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    opacity_ = 0;
    ::SetLayeredWindowAttributes(hwnd(), 0, opacity_, LWA_ALPHA);
    // The work area is the primary display's, where the notice already lives: its density is the notice's.
    const int dpi = WindowDpi(hwnd());
    ScaleFont(dpi);
    const int width = ScaleToDpi(design_.width, dpi);
    const int height = ScaleToDpi(design_.height, dpi);
    ::SetWindowPos(hwnd(), HWND_TOP, work.right - width, work.bottom - height, width, height,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ::SetTimer(hwnd(), kHideTimerId, design_.visibleMs, nullptr);

    HWND target = hwnd();
    const OpacityFade fade{design_.finalOpacity, design_.opacityStep, std::chrono::milliseconds(design_.stepMs)};
    fader_ = std::thread([this, target, fade] {
        SystemFadeClock clock;
        RunFade(
            fade, clock,
            [target](int opacity) { ::PostMessageA(target, kOpacityStepMessage, static_cast<WPARAM>(opacity), 0); },
            [this] { return stopFade_.load(); });
    });
}

void PopupNotification::Hide() {
    StopFade();
    ::KillTimer(hwnd(), kHideTimerId);
    ::ShowWindow(hwnd(), SW_HIDE);
}

void PopupNotification::Paint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(hwnd(), &paint);
    RECT client;
    ::GetClientRect(hwnd(), &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOW));
    // The frame keeps its width in proportion to the notice.
    RECT frame = client;
    for (int line = ScaleToDpi(1, dpi_ > 0 ? dpi_ : kDesignDpi); line > 0; --line) {
        ::FrameRect(dc, &frame, ::GetSysColorBrush(COLOR_ACTIVEBORDER));
        ::InflateRect(&frame, -1, -1);
    }
    HGDIOBJ old = ::SelectObject(dc, font_.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, design_.textColour);
    ::DrawTextA(dc, design_.text.c_str(), static_cast<int>(design_.text.size()), &client,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::EndPaint(hwnd(), &paint);
}

LRESULT PopupNotification::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kOpacityStepMessage:
            // A step still queued from a fade that was stopped must not raise a hidden window's opacity.
            if (IsShowing()) {
                opacity_ = static_cast<BYTE>(std::min<WPARAM>(wParam, design_.finalOpacity));
                ::SetLayeredWindowAttributes(hwnd(), 0, opacity_, LWA_ALPHA);
            }
            return 0;
        case WM_TIMER:
            if (wParam == kHideTimerId) {
                Hide();
                return 0;
            }
            break;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
    }
    return DefaultHandling(message, wParam, lParam);
}

}  // namespace quillcrest
