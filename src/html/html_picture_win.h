#pragma once

#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "base/win_handles_win.h"

namespace quillcrest {

// A decoded picture: a 32-bit top-down DIB section with premultiplied alpha, ready for AlphaBlend.
struct HtmlPicture {
    UniqueGdiObject bitmap;
    int width = 0;
    int height = 0;
};

// Decodes the first frame of a picture file (GIF, PNG, JPEG, BMP, ICO: whatever WIC knows) from memory. Nothing
// when the bytes are no picture or the picture is larger than the view shows.
std::optional<HtmlPicture> DecodeHtmlPicture(IWICImagingFactory& factory, const std::vector<std::uint8_t>& bytes);

// Draws the picture scaled into the rectangle, blending its transparent parts.
void DrawHtmlPicture(HDC dc, const HtmlPicture& picture, const RECT& target);

}  // namespace quillcrest
