#pragma once

#include <vector>

namespace quillcrest {

// Every size the program names (windows, controls, margins, fonts in pixels, the HTML view's CSS pixels) is a
// size at this density; a window draws it at its own display's density.
inline constexpr int kDesignDpi = 96;

// A length at 96 dots per inch scaled to dpi, rounded to the nearest pixel (halves away from zero), so that
// lengths that are equal at 96 dpi stay equal at every density.
int ScaleToDpi(int length, int dpi);
// The other way: a length in pixels at dpi as a length at 96 dots per inch.
int ScaleFromDpi(int length, int dpi);

// A rectangle of a window's layout or of a page, by its corner and size.
struct LayoutBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
    bool Contains(int px, int py) const { return px >= x && px < Right() && py >= y && py < Bottom(); }
    bool Intersects(const LayoutBox& other) const {
        return x < other.Right() && other.x < Right() && y < other.Bottom() && other.y < Bottom();
    }
    bool operator==(const LayoutBox& other) const {
        return x == other.x && y == other.y && width == other.width && height == other.height;
    }
};

// Scales the boxes of one layout, given at 96 dots per inch, to dpi. Each size is scaled alone, so boxes of equal
// size at 96 dpi stay equal; a box whose edge lies on another box's edge at 96 dpi (a control flush with its
// neighbour or with the client area, which is best passed as a box of its own) is placed from that box, so the
// two neither overlap nor open a gap. Where such ties contradict each other, or would move an edge more than a
// pixel from its own scaled place, the edge keeps its own scaled place and the box's size gives way by a pixel.
std::vector<LayoutBox> ScaleLayout(const std::vector<LayoutBox>& boxes, int dpi);

// The width a control needs so that its text fits: the scaled width, widened when the text measured with the
// control's font at the same density, with the control's own decoration beside it (a box's glyph, a button's
// edges), needs more.
int WidthForText(int scaledWidth, int textWidth, int decorationWidth);

}  // namespace quillcrest
