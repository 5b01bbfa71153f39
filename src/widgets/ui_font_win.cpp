#include "widgets/ui_font_win.h"

namespace quillcrest {

UniqueGdiObject CreateUiFont(int height, int weight, const char* face) {
    return UniqueGdiObject(::CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                         DEFAULT_PITCH | FF_DONTCARE, face));
}

}  // namespace quillcrest
