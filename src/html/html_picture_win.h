#pragma once

#include <windows.h>
#include <wincodec.h>

#include <cstddef>
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

// Decoded pixels one page may hold in all. A small compressed file can declare the largest picture the view
// takes (64 MiB of pixels), so without a page-wide cap a few hundred sources could take gigabytes.
constexpr std::size_t kMaxDecodedPictureBytesPerPage = std::size_t{64} << 20;

// The bytes the decoded form of a width x height picture takes.
std::size_t DecodedPictureBytes(int width, int height);

// A picture file's size in pixels, read from its header without decoding a pixel; nothing when the bytes are no
// picture WIC knows.
std::optional<SIZE> HtmlPictureFileSize(IWICImagingFactory& factory, const std::vector<std::uint8_t>& bytes);

// Decodes the first frame of a picture file (GIF, PNG, JPEG, BMP, ICO: whatever WIC knows) from memory, resampled
// to size when one is given (a picture drawn for another density than the display's). Nothing when the bytes are
// no picture, the picture is larger than the view shows, or its decoded pixels would take more than
// maxDecodedBytes; the size is known before any pixel is decoded.
std::optional<HtmlPicture> DecodeHtmlPicture(IWICImagingFactory& factory,
                                             const std::vector<std::uint8_t>& bytes,
                                             std::size_t maxDecodedBytes = kMaxDecodedPictureBytesPerPage,
                                             std::optional<SIZE> size = std::nullopt);

// Draws the picture scaled into the rectangle, blending its transparent parts.
void DrawHtmlPicture(HDC dc, const HtmlPicture& picture, const RECT& target);

}  // namespace quillcrest
