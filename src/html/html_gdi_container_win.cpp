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
                                   const HtmlViewCallbacks& callbacks,
                                   int dpi)
    : fonts_(fonts), factory_(factory), callbacks_(callbacks), dpi_(dpi) {}

void HtmlGdiContainer::OnMetaTag(const std::string& name, const std::string& content) {
    if (callbacks_.onMetaTag)
        callbacks_.onMetaTag(name, content);
}

std::optional<HtmlSize> HtmlGdiContainer::LoadPicture(const std::string& source) {
    if (!callbacks_.onPictureRequest || !factory_)
        return std::nullopt;
    std::optional<HtmlPictureFile> file = callbacks_.onPictureRequest(source, dpi_);
    if (!file)
        return std::nullopt;
    const std::optional<SIZE> pixels = HtmlPictureFileSize(*factory_, file->bytes);
    if (!pixels)
        return std::nullopt;
    const int fileDpi = file->dpi > 0 ? file->dpi : kDesignDpi;
    const HtmlSize natural{ScaleFromDpi(static_cast<int>(pixels->cx), fileDpi),
                           ScaleFromDpi(static_cast<int>(pixels->cy), fileDpi)};
    std::optional<HtmlPicture> picture = DecodeForDisplay(*file, natural);
    if (!picture)
        return std::nullopt;
    decodedPictureBytes_ += DecodedPictureBytes(picture->width, picture->height);
    pictures_[source] = LoadedPicture{std::move(*file), natural, std::move(*picture)};
    return natural;
}

std::optional<HtmlPicture> HtmlGdiContainer::DecodeForDisplay(const HtmlPictureFile& file, HtmlSize natural) const {
    // The layout scales the natural size with the same rounding, so the picture fills its box pixel for pixel.
    const SIZE size{ScaleToDpi(natural.width, dpi_), ScaleToDpi(natural.height, dpi_)};
    return DecodeHtmlPicture(*factory_, file.bytes, kMaxDecodedPictureBytesPerPage - decodedPictureBytes_, size);
}

void HtmlGdiContainer::SetDpi(int dpi) {
    if (dpi == dpi_)
        return;
    dpi_ = dpi;
    for (auto& [source, picture] : pictures_) {
        decodedPictureBytes_ -= DecodedPictureBytes(picture.decoded.width, picture.decoded.height);
        // A picture that cannot be decoded again keeps its old pixels, stretched.
        if (std::optional<HtmlPicture> decoded = DecodeForDisplay(picture.file, picture.natural))
            picture.decoded = std::move(*decoded);
        decodedPictureBytes_ += DecodedPictureBytes(picture.decoded.width, picture.decoded.height);
    }
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
    DrawHtmlPicture(targetDc_, found->second.decoded, target);
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
