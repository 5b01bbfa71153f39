#pragma once

#include <windows.h>

#include <cstddef>
#include <map>

#include "base/win_handles_win.h"
#include "html/html_font.h"

namespace quillcrest {

// GDI fonts for the fonts pages ask for, made once each. A page can name any number of faces, so the cache is
// emptied when it reaches its cap rather than letting GDI handles run out; fonts are selected only for the
// duration of one call, so dropping them between calls is safe.
constexpr std::size_t kMaxCachedFonts = 128;

class HtmlFontCache {
  public:
    HtmlFontCache();

    HFONT Get(const HtmlFont& font);
    // A memory device context for measuring text, compatible with the screen.
    HDC MeasuringDc() const { return measuringDc_.get(); }

  private:
    UniqueDc measuringDc_;
    std::map<HtmlFont, UniqueGdiObject> fonts_;
};

}  // namespace quillcrest
