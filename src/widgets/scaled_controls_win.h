#pragma once

#include <windows.h>

#include <vector>

#include "widgets/display_scale.h"
#include "widgets/ui_font_win.h"

namespace quillcrest {

// The controls of one parent window with their places at 96 dots per inch, placed again for each density the
// parent is shown at: each goes to its scaled box (see ScaleLayout), a single-line button, box or frame is widened
// when its text, measured with its font at that density, would not fit, and each gets its font anew.
class ScaledControls {
  public:
    // The parent's client area at 96 dpi, so that controls flush with its edges stay flush.
    explicit ScaledControls(LayoutBox client);

    // Remembers a control; font may be null (the control keeps the system's).
    HWND Add(HWND control, LayoutBox box, const ScaledFont* font);
    // Places every control for the density and gives each its font (the fonts rescaled already).
    void Place(int dpi) const;
    // The client area at the density.
    LayoutBox ScaledClient(int dpi) const { return ScaledBoxes(dpi).front(); }

  private:
    struct Entry {
        HWND control;
        LayoutBox box;
        const ScaledFont* font;
    };
    std::vector<LayoutBox> ScaledBoxes(int dpi) const;
    LayoutBox Fitted(const Entry& entry, LayoutBox scaled, int dpi) const;

    LayoutBox client_;
    std::vector<Entry> entries_;
};

// Sets a font on a control; the font stays the caller's.
void SetControlFont(HWND control, HFONT font);
// The width a single-line button, box or frame needs at the density: its scaled width, widened when its text,
// measured with the font, and what the control draws beside it would not fit. Other controls keep the width.
int ControlWidthForText(HWND control, HFONT font, int scaledWidth, int dpi);

}  // namespace quillcrest
