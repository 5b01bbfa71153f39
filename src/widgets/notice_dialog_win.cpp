#include "widgets/notice_dialog_win.h"

#include <algorithm>
#include <utility>

#include "widgets/ui_font_win.h"

namespace quillcrest {
namespace {

constexpr int kMargin = 14;
constexpr int kPictureSize = 32;
constexpr int kTextGap = 10;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 8;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

int TextHeight(HWND window, HGDIOBJ font, const std::string& text, int width) {
    HDC dc = ::GetDC(window);
    HGDIOBJ old = ::SelectObject(dc, font);
    RECT rect = {0, 0, width, 0};
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return rect.bottom - rect.top;
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

NoticeDialog::NoticeDialog(Design design, HWND owner)
    : design_(std::move(design)), font_(CreateUiFont()), boldFont_(CreateUiFont(kUiFontHeight, FW_BOLD)) {
    Create(design_.className, design_.caption, kStyle, kExStyle, 0, 0, 100, 100, owner);
    HWND self = hwnd();

    const int textLeft = kMargin + kPictureSize + kMargin;
    const int textWidth = design_.clientWidth - textLeft - kMargin;
    HWND picture = CreateControl(self, "STATIC", PictureName(design_.systemPicture), WS_VISIBLE | SS_ICON, 0,
                                 {kMargin, kMargin, kMargin + kPictureSize, kMargin + kPictureSize});
    ::SendMessageA(picture, STM_SETICON, reinterpret_cast<WPARAM>(::LoadIconA(nullptr, design_.systemPicture)), 0);

    int y = kMargin;
    for (std::size_t i = 0; i < design_.texts.size(); ++i) {
        const Text& text = design_.texts[i];
        HGDIOBJ font = text.bold ? boldFont_.get() : font_.get();
        const int height = TextHeight(self, font, text.text, textWidth);
        HWND label = CreateControl(self, "STATIC", text.text.c_str(), WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                   kFirstTextId + static_cast<int>(i), {textLeft, y, textLeft + textWidth, y + height});
        ::SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        texts_.push_back(label);
        y += height + kTextGap;
    }
    y = std::max(y, kMargin + kPictureSize + kTextGap);

    const int buttonCount = static_cast<int>(design_.buttons.size());
    int x = design_.clientWidth - kMargin - buttonCount * kButtonWidth - (buttonCount - 1) * kButtonGap;
    for (int i = 0; i < buttonCount; ++i) {
        const DWORD kind = i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        HWND button = CreateControl(self, "BUTTON", design_.buttons[i].text.c_str(),
                                    WS_VISIBLE | WS_TABSTOP | kind | (i == 0 ? WS_GROUP : 0), kFirstButtonId + i,
                                    {x, y, x + kButtonWidth, y + kButtonHeight});
        ::SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        x += kButtonWidth + kButtonGap;
    }
    RECT frame = {0, 0, design_.clientWidth, y + kButtonHeight + kMargin};
    ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    ::SetWindowPos(self, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void NoticeDialog::OnBeforeShow() {
    if (!design_.buttons.empty())
        ::SetFocus(::GetDlgItem(hwnd(), kFirstButtonId));
}

LRESULT NoticeDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int index = id == IDOK ? 0 : id - kFirstButtonId;
            if (HIWORD(wParam) == BN_CLICKED && index >= 0 && index < static_cast<int>(design_.buttons.size())) {
                EndModal(design_.buttons[index].result);
                return 0;
            }
            break;
        }
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
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
