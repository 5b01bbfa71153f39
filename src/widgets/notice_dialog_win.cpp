#include "widgets/notice_dialog_win.h"

#include <algorithm>
#include <utility>

#include "base/exception.h"
#include "base/module_function_win.h"
#include "base/system_message_win.h"
#include "base/utf8_text_win.h"
#include "widgets/dpi_win.h"
#include "widgets/scaled_controls_win.h"
#include "widgets/ui_font_win.h"

namespace quillcrest {
namespace {

constexpr int kMargin = 14;
constexpr int kPictureSize = 32;
constexpr int kTextGap = 10;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 8;
// Room inside the details box between its edge and its text, beside the system's own margins.
constexpr int kDetailsPadding = 4;
constexpr DWORD kDetailsStyle = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The height the wrapped lines of a UTF-16 text take at width, as an edit control breaks them.
int WideTextHeight(HWND window, HFONT font, const std::wstring& text, int width) {
    HDC dc = ::GetDC(window);
    HGDIOBJ old = ::SelectObject(dc, font);
    RECT rect = {0, 0, width, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
                DT_WORDBREAK | DT_EDITCONTROL | DT_CALCRECT | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return rect.bottom - rect.top;
}

int LineHeight(HWND window, HFONT font) {
    HDC dc = ::GetDC(window);
    HGDIOBJ old = ::SelectObject(dc, font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return metrics.tmHeight;
}

// An edit control breaks lines at CR LF only.
std::wstring WithCrLf(const std::string& text) {
    std::string lines;
    for (const char c : text) {
        if (c == '\n' && (lines.empty() || lines.back() != '\r'))
            lines += '\r';
        lines += c;
    }
    return WideFromUtf8(lines);
}

int TextHeight(HWND window, HFONT font, const std::string& text, int width) {
    HDC dc = ::GetDC(window);
    HGDIOBJ old = ::SelectObject(dc, font);
    RECT rect = {0, 0, width, 0};
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return rect.bottom - rect.top;
}

// The system's picture at the size that fits the density, drawn from the system's own sizes. The call that does
// so belongs to version 6 of the common controls, which the import library does not know.
UniqueIcon SystemPicture(LPCSTR systemPicture, int size) {
    using LoadScaledDownFunction = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
    const auto loadScaledDown =
        ModuleFunction<LoadScaledDownFunction>(::GetModuleHandleA("comctl32.dll"), "LoadIconWithScaleDown");
    HICON icon = nullptr;
    if (loadScaledDown &&
        SUCCEEDED(loadScaledDown(nullptr, reinterpret_cast<PCWSTR>(systemPicture), size, size, &icon)))
        return UniqueIcon(icon);
    return UniqueIcon(static_cast<HICON>(::CopyImage(::LoadIconA(nullptr, systemPicture), IMAGE_ICON, size, size, 0)));
}

// What screen readers announce for the dialog's picture, the kind of notice; the static does not draw its text.
const char* PictureName(LPCSTR systemPicture) {
    if (systemPicture == IDI_WARNING)
        return "Warning";
    if (systemPicture == IDI_ERROR)
        return "Error";
    if (systemPicture == IDI_INFORMATION)
        return "Information";
    if (systemPicture == IDI_QUESTION)
        return "Question";
    return "";
}

}  // namespace

NoticeDialog::NoticeDialog(Design design, HWND owner) : NoticeDialog(std::move(design), owner, Options()) {}

NoticeDialog::NoticeDialog(Design design, HWND owner, Options options) : design_(std::move(design)), options_(options) {
    Create(design_.className, design_.caption, kStyle, kExStyle, 0, 0, 100, 100, owner);
    HWND self = hwnd();
    picture_ = CreateControl(self, "STATIC", PictureName(design_.systemPicture), WS_VISIBLE | SS_ICON, 0,
                             {0, 0, kPictureSize, kPictureSize});
    // Created in the order they are read: a screen reader names the details box after the text before it.
    for (std::size_t i = 0; i < design_.texts.size(); ++i) {
        if (i == options_.details.afterTexts)
            CreateDetails();
        texts_.push_back(CreateControl(self, "STATIC", design_.texts[i].text.c_str(),
                                       WS_VISIBLE | SS_LEFT | SS_NOPREFIX, kFirstTextId + static_cast<int>(i),
                                       {0, 0, 0, 0}));
    }
    if (options_.details.afterTexts >= design_.texts.size())
        CreateDetails();
    for (std::size_t i = 0; i < design_.buttons.size(); ++i) {
        DWORD kind = i == options_.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if (i == 0)
            kind |= WS_GROUP;
        buttons_.push_back(CreateControl(self, "BUTTON", design_.buttons[i].text.c_str(),
                                         WS_VISIBLE | WS_TABSTOP | kind, kFirstButtonId + static_cast<int>(i),
                                         {0, 0, 0, 0}));
    }
    LayOut(WindowDpi(self));
}

void NoticeDialog::CreateDetails() {
    if (options_.details.mostLines <= 0)
        return;
    // A UTF-16 control, so that every name in the list shows as it is, whatever the code page.
    details_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | kDetailsStyle, 0, 0, 0, 0,
                                 hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kDetailsId)),
                                 ::GetModuleHandleA(nullptr), nullptr);
    if (!details_)
        throw Exception("Cannot create the control EDIT: " + SystemMessageText(::GetLastError()));
}

void NoticeDialog::SetDetails(const std::string& text) {
    detailsText_ = WithCrLf(text);
    if (!details_)
        return;
    ::SetWindowTextW(details_, detailsText_.c_str());
    LayOut(dpi_);
}

int NoticeDialog::DefaultButtonId() const {
    return options_.defaultButton < design_.buttons.size() ? kFirstButtonId + static_cast<int>(options_.defaultButton)
                                                           : 0;
}

int NoticeDialog::PlaceDetails(int x, int y, int width, int dpi) {
    SetControlFont(details_, font_.get());
    const int lineHeight = LineHeight(details_, font_.get());
    const int padding = ScaleToDpi(kDetailsPadding, dpi);
    const int frame = 2 * SystemMetricForDpi(SM_CXEDGE, dpi);
    // Some edit controls take a border's width off each side of the text's rectangle they are given (Wine's does):
    // lines are measured as if they did, so that they never break later here than in the control.
    const int border = ::GetSystemMetrics(SM_CXBORDER) + 1;
    // Lines break as the edit control breaks them: within its frame and padding.
    const int most = options_.details.mostLines * lineHeight;
    int textHeight = WideTextHeight(details_, font_.get(), detailsText_, width - frame - 2 * padding - 2 * border);
    const bool scrolls = textHeight > most;
    // A scroll bar takes room from the lines, so they break again at the narrower width.
    if (scrolls)
        textHeight = most;
    ::ShowScrollBar(details_, SB_VERT, scrolls ? TRUE : FALSE);
    const int height = std::max(textHeight, lineHeight) + frame + 2 * padding;
    ::SetWindowPos(details_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // The text's rectangle goes back to the whole client area at every resize, so it is set after the move.
    ::SendMessageW(details_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
    // The rectangle runs to the box's bottom edge: taken a border's width off, it still holds the last line, and
    // a list that fits shows no scroll bar.
    RECT format;
    ::GetClientRect(details_, &format);
    format.left += padding;
    format.top += padding;
    format.right -= padding;
    ::SendMessageW(details_, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&format));
    return height;
}

void NoticeDialog::LayOut(int dpi) {
    dpi_ = dpi;
    HWND self = hwnd();
    const UniqueGdiObject oldFont = font_.Rescale(dpi);
    const UniqueGdiObject oldBoldFont = boldFont_.Rescale(dpi);
    auto px = [dpi](int length) { return ScaleToDpi(length, dpi); };
    const int clientWidth = px(design_.clientWidth);
    const int margin = px(kMargin);
    const int pictureSize = px(kPictureSize);

    UniqueIcon oldIcon = std::move(pictureIcon_);
    pictureIcon_ = SystemPicture(design_.systemPicture, pictureSize);
    ::SendMessageA(picture_, STM_SETICON, reinterpret_cast<WPARAM>(pictureIcon_.get()), 0);
    ::SetWindowPos(picture_, nullptr, margin, margin, pictureSize, pictureSize, SWP_NOZORDER | SWP_NOACTIVATE);

    const int textLeft = margin + pictureSize + margin;
    const int textWidth = clientWidth - textLeft - margin;
    int y = margin;
    for (std::size_t i = 0; i <= texts_.size(); ++i) {
        if (i == std::min(options_.details.afterTexts, texts_.size()) && details_)
            y += PlaceDetails(textLeft, y, textWidth, dpi) + px(kTextGap);
        if (i == texts_.size())
            break;
        HFONT font = design_.texts[i].bold ? boldFont_.get() : font_.get();
        SetControlFont(texts_[i], font);
        const int height = TextHeight(self, font, design_.texts[i].text, textWidth);
        ::SetWindowPos(texts_[i], nullptr, textLeft, y, textWidth, height, SWP_NOZORDER | SWP_NOACTIVATE);
        y += height + px(kTextGap);
    }
    y = std::max(y, margin + pictureSize + px(kTextGap));

    // The buttons share one width, the widest their texts need at this density.
    const int buttonCount = static_cast<int>(buttons_.size());
    int buttonWidth = px(kButtonWidth);
    for (HWND button : buttons_) {
        SetControlFont(button, font_.get());
        buttonWidth = std::max(buttonWidth, ControlWidthForText(button, font_.get(), px(kButtonWidth), dpi));
    }
    const int buttonHeight = px(kButtonHeight);
    const int buttonGap = px(kButtonGap);
    int x = clientWidth - margin - buttonCount * buttonWidth - (buttonCount - 1) * buttonGap;
    for (HWND button : buttons_) {
        ::SetWindowPos(button, nullptr, x, y, buttonWidth, buttonHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        x += buttonWidth + buttonGap;
    }
    const RECT frame = FrameForClient(clientWidth, y + buttonHeight + margin, kStyle, kExStyle, dpi);
    ::SetWindowPos(self, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(self, nullptr, TRUE);
}

void NoticeDialog::OnDpiChanged(int dpi) {
    LayOut(dpi);
}

void NoticeDialog::OnBeforeShow() {
    if (const int id = DefaultButtonId()) {
        ::SetFocus(::GetDlgItem(hwnd(), id));
    }
    // Each showing starts at the top of its list.
    if (details_)
        ::SendMessageW(details_, EM_SETSEL, 0, 0);
}

LRESULT NoticeDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int index = id == IDOK ? static_cast<int>(options_.defaultButton) : id - kFirstButtonId;
            if (HIWORD(wParam) == BN_CLICKED && index >= 0 && index < static_cast<int>(design_.buttons.size())) {
                EndModal(design_.buttons[index].result);
                return 0;
            }
            break;
        }
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            // A read-only edit control asks here too; the list reads best on the colour of a window.
            if (details_ && reinterpret_cast<HWND>(lParam) == details_) {
                ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
                ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
            }
            const auto label = std::find(texts_.begin(), texts_.end(), reinterpret_cast<HWND>(lParam));
            if (label != texts_.end())
                ::SetTextColor(dc, design_.texts[label - texts_.begin()].colour);
            ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        }
    }
    return ModalWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace quillcrest
