#include "widgets/ui_font_win.h"

#include <utility>

namespace quillcrest {

UniqueGdiObject CreateUiFont(int height, int weight, const char* face, int dpi) {
    return UniqueGdiObject(::CreateFontA(ScaleToDpi(height, dpi), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                         DEFAULT_PITCH | FF_DONTCARE, face));
}

ScaledFont::ScaledFont(int height, int weight, const char* face)
    : height_(height), weight_(weight), face_(face), font_(CreateUiFont(height, weight, face)) {}

UniqueGdiObject ScaledFont::Rescale(int dpi) {
    if (dpi == dpi_ && font_)
        return UniqueGdiObject();
    UniqueGdiObject font = CreateUiFont(height_, weight_, face_, dpi);
    if (!font)
        return UniqueGdiObject();
    std::swap(font_, font);
    dpi_ = dpi;
    return font;
}

}  // namespace quillcrest
