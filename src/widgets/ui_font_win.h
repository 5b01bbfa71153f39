#pragma once

#include <windows.h>

#include "base/win_handles_win.h"
#include "widgets/display_scale.h"

namespace quillcrest {

// The program's windows use Tahoma at height -11 unless a window says otherwise. Heights are pixels at 96 dots
// per inch; a font is made for the density of the window that shows it.
inline constexpr char kUiFontFace[] = "Tahoma";
inline constexpr int kUiFontHeight = -11;

UniqueGdiObject CreateUiFont(int height = kUiFontHeight,
                             int weight = FW_NORMAL,
                             const char* face = kUiFontFace,
                             int dpi = kDesignDpi);

// One font of a window, made again whenever the window's density changes.
class ScaledFont {
  public:
    explicit ScaledFont(int height = kUiFontHeight, int weight = FW_NORMAL, const char* face = kUiFontFace);

    // Makes the font for the density and hands back the previous one, which controls still hold until they are
    // given the new one (nothing when the density is the font's already, or no font could be made).
    [[nodiscard]] UniqueGdiObject Rescale(int dpi);
    HFONT get() const { return static_cast<HFONT>(font_.get()); }

  private:
    int height_;
    int weight_;
    const char* face_;
    int dpi_ = kDesignDpi;
    UniqueGdiObject font_;
};

}  // namespace quillcrest
