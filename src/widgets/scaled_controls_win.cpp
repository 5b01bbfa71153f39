#include "widgets/scaled_controls_win.h"

#include <commctrl.h>

#include <string>

#include "widgets/dpi_win.h"

namespace quillcrest {
namespace {

// Room a push button keeps between its edges and its text, and a check box or radio button between its glyph
// and its text, at 96 dpi.
constexpr int kButtonTextPadding = 12;
constexpr int kGlyphTextGap = 6;
constexpr int kGroupTextPadding = 20;

int TextWidth(HWND control, HFONT font) {
    const int length = ::GetWindowTextLengthA(control);
    if (length <= 0)
        return 0;
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    ::GetWindowTextA(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    HDC dc = ::GetDC(control);
    if (!dc)
        return 0;
    HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text.data(), length, &size);
    if (old)
        ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return static_cast<int>(size.cx);
}

// What a single-line button control draws beside its text; -1 for controls whose width is not the text's.
int Decoration(HWND control, int dpi) {
    char className[16] = {};
    ::GetClassNameA(control, className, sizeof(className));
    if (lstrcmpiA(className, "Button") != 0)
        return -1;
    const LONG_PTR style = ::GetWindowLongPtrA(control, GWL_STYLE);
    if (style & BS_MULTILINE)
        return -1;
    switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
        case BS_3STATE:
        case BS_AUTO3STATE:
            return SystemMetricForDpi(SM_CXMENUCHECK, dpi) + ScaleToDpi(kGlyphTextGap, dpi);
        case BS_GROUPBOX:
            return ScaleToDpi(kGroupTextPadding, dpi);
        case BS_SPLITBUTTON:
        case BS_DEFSPLITBUTTON:
            return ScaleToDpi(kButtonTextPadding, dpi) + SystemMetricForDpi(SM_CXVSCROLL, dpi);
        default:
            return ScaleToDpi(kButtonTextPadding, dpi);
    }
}

}  // namespace

void SetControlFont(HWND control, HFONT font) {
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

ScaledControls::ScaledControls(LayoutBox client) : client_(client) {}

HWND ScaledControls::Add(HWND control, LayoutBox box, const ScaledFont* font) {
    entries_.push_back({control, box, font});
    if (font)
        SetControlFont(control, font->get());
    return control;
}

std::vector<LayoutBox> ScaledControls::ScaledBoxes(int dpi) const {
    std::vector<LayoutBox> boxes{client_};
    for (const Entry& entry : entries_)
        boxes.push_back(entry.box);
    return ScaleLayout(boxes, dpi);
}

int ControlWidthForText(HWND control, HFONT font, int scaledWidth, int dpi) {
    const int decoration = Decoration(control, dpi);
    return decoration < 0 ? scaledWidth : WidthForText(scaledWidth, TextWidth(control, font), decoration);
}

LayoutBox ScaledControls::Fitted(const Entry& entry, LayoutBox scaled, int dpi) const {
    scaled.width = ControlWidthForText(entry.control, entry.font ? entry.font->get() : nullptr, scaled.width, dpi);
    return scaled;
}

void ScaledControls::Place(int dpi) const {
    const std::vector<LayoutBox> boxes = ScaledBoxes(dpi);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        if (entry.font)
            SetControlFont(entry.control, entry.font->get());
        const LayoutBox box = Fitted(entry, boxes[i + 1], dpi);
        ::SetWindowPos(entry.control, nullptr, box.x, box.y, box.width, box.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

}  // namespace quillcrest
