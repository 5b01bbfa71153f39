#pragma once

#include <windows.h>
#include <wincodec.h>

#include <map>
#include <optional>
#include <string>

#include "html/html_container.h"
#include "html/html_font_cache_win.h"
#include "html/html_picture_win.h"
#include "html/html_view_callbacks.h"
#include "widgets/display_scale.h"

namespace quillcrest {

// The host side of one page in a view: fonts and text through GDI, pictures from the owner decoded with WIC and
// kept for the page's life (a picture past the page's budget of decoded bytes is left out like one that fails to
// decode), drawing into whatever device context the view paints on. Pictures are decoded at the size they take on
// the display (their natural size in CSS pixels at its density), so painting never stretches them.
class HtmlGdiContainer : public HtmlContainer {
  public:
    // factory may be null: pictures are then never shown.
    HtmlGdiContainer(HtmlFontCache& fonts,
                     IWICImagingFactory* factory,
                     const HtmlViewCallbacks& callbacks,
                     int dpi = kDesignDpi);

    // The view moved to a display of another density: the pictures are decoded again for it from their files.
    void SetDpi(int dpi);

    // Where the next Draw calls go; null outside painting.
    void SetTargetDc(HDC dc) { targetDc_ = dc; }
    HtmlCursor RequestedCursor() const { return cursor_; }

    void OnMetaTag(const std::string& name, const std::string& content) override;
    std::optional<HtmlSize> LoadPicture(const std::string& source) override;
    void OnParseEnd() override;
    HtmlFontMetrics FontMetrics(const HtmlFont& font) override;
    int TextWidth(std::string_view text, const HtmlFont& font) override;
    void DrawText(std::string_view text, const HtmlFont& font, HtmlColor color, int x, int y) override;
    void DrawPicture(const std::string& source, const HtmlRect& rect) override;
    void FillRect(const HtmlRect& rect, HtmlColor color) override;
    void OnAnchorClick(const std::string& address) override;
    void SetCursor(HtmlCursor cursor) override;

  private:
    HtmlFontCache& fonts_;
    IWICImagingFactory* factory_;
    const HtmlViewCallbacks& callbacks_;
    struct LoadedPicture {
        HtmlPictureFile file;
        HtmlSize natural;  // CSS pixels
        HtmlPicture decoded;
    };
    // Decodes a file at its natural size on this display, within what is left of the page's budget.
    std::optional<HtmlPicture> DecodeForDisplay(const HtmlPictureFile& file, HtmlSize natural) const;

    int dpi_;
    std::map<std::string, LoadedPicture> pictures_;
    std::size_t decodedPictureBytes_ = 0;  // of all pictures_, kept under kMaxDecodedPictureBytesPerPage
    HDC targetDc_ = nullptr;
    HtmlCursor cursor_ = HtmlCursor::Arrow;
};

}  // namespace quillcrest
