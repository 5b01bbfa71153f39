#include "html/html_font_cache_win.h"

namespace quillcrest {

HtmlFontCache::HtmlFontCache() : measuringDc_(::CreateCompatibleDC(nullptr)) {}

HFONT HtmlFontCache::Get(const HtmlFont& font) {
    auto found = fonts_.find(font);
    if (found != fonts_.end())
        return static_cast<HFONT>(found->second.get());
    if (fonts_.size() >= kMaxCachedFonts)
        fonts_.clear();
    // A negative height asks for the character height, which is how HTML font sizes are meant.
    HFONT created = ::CreateFontA(-font.pixelHeight, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic,
                                  font.underline, font.strikeout, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.face.c_str());
    if (!created)
        created = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    else
        fonts_.emplace(font, UniqueGdiObject(created));
    return created;
}

}  // namespace quillcrest
