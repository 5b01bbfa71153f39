#include "html/html_gdi_container_win.h"

#include <climits>

#include "html/html_gdi_selection_win.h"

namespace quillcrest {
namespace {

COLORREF ToColorRef(HtmlColor color) {
    return RGB(color.red, color.green, color.blue);
}

int TextLength(std::string_view text) {
    return static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
}

}  // namespace

HtmlGdiContainer::HtmlGdiContainer(HtmlFontCache& fonts,
                                   IWICImagingFactory* factory,
                                   const HtmlViewCallbacks& callbacks)
    : fonts_(fonts), factory_(factory), callbacks_(callbacks) {}

void HtmlGdiContainer::OnMetaTag(const std::string& name, const std::string& content) {
    if (callbacks_.onMetaTag)
        callbacks_.onMetaTag(name, content);
}

std::optional<HtmlSize> HtmlGdiContainer::LoadPicture(const std::string& source) {
    if (!callbacks_.onPictureRequest || !factory_)
        return std::nullopt;
    std::optional<std::vector<std::uint8_t>> bytes = callbacks_.onPictureRequest(source);
    if (!bytes)
        return std::nullopt;
    std::optional<HtmlPicture> picture =
        DecodeHtmlPicture(*factory_, *bytes, kMaxDecodedPictureBytesPerPage - decodedPictureBytes_);
    if (!picture)
        return std::nullopt;
    decodedPictureBytes_ += DecodedPictureBytes(picture->width, picture->height);
    HtmlSize size{picture->width, picture->height};
    pictures_[source] = std::move(*picture);
    return size;
}

// The view tells its owner once the page is the one shown, not while it is still being built.
void HtmlGdiContainer::OnParseEnd() {}

HtmlFontMetrics HtmlGdiContainer::FontMetrics(const HtmlFont& font) {
    HDC dc = fonts_.MeasuringDc();
    HtmlGdiSelection selection(dc, fonts_.Get(font));
    TEXTMETRICA metrics{};
    if (!::GetTextMetricsA(dc, &metrics))
        return {font.pixelHeight, 0};
    return {static_cast<int>(metrics.tmAscent), static_cast<int>(metrics.tmDescent)};
}

int HtmlGdiContainer::TextWidth(std::string_view text, const HtmlFont& font) {
    HDC dc = fonts_.MeasuringDc();
    HtmlGdiSelection selection(dc, fonts_.Get(font));
    SIZE size{};
    if (!::GetTextExtentPoint32A(dc, text.data(), TextLength(text), &size))
        return 0;
    return static_cast<int>(size.cx);
}

void HtmlGdiContainer::DrawText(std::string_view text, const HtmlFont& font, HtmlColor color, int x, int y) {
    if (!targetDc_)
        return;
    HtmlGdiSelection selection(targetDc_, fonts_.Get(font));
    ::SetBkMode(targetDc_, TRANSPARENT);
    ::SetTextColor(targetDc_, ToColorRef(color));
    ::SetTextAlign(targetDc_, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    ::TextOutA(targetDc_, x, y, text.data(), TextLength(text));
}

void HtmlGdiContainer::DrawPicture(const std::string& source, const HtmlRect& rect) {
    auto found = pictures_.find(source);
    if (!targetDc_ || found == pictures_.end())
        return;
    RECT target{rect.x, rect.y, rect.Right(), rect.Bottom()};
    DrawHtmlPicture(targetDc_, found->second, target);
}

void HtmlGdiContainer::FillRect(const HtmlRect& rect, HtmlColor color) {
    if (!targetDc_)
        return;
    RECT area{rect.x, rect.y, rect.Right(), rect.Bottom()};
    HtmlGdiSelection selection(targetDc_, ::GetStockObject(DC_BRUSH));
    ::SetDCBrushColor(targetDc_, ToColorRef(color));
    ::FillRect(targetDc_, &area, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
}

void HtmlGdiContainer::OnAnchorClick(const std::string& address) {
    if (callbacks_.onLinkClick)
        callbacks_.onLinkClick(address);
}

void HtmlGdiContainer::SetCursor(HtmlCursor cursor) {
    cursor_ = cursor;
}

}  // namespace quillcrest
