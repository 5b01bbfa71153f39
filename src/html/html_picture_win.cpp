#include "html/html_picture_win.h"

#include <wrl/client.h>

#include "html/html_gdi_selection_win.h"
#include "html/html_layout.h"

namespace quillcrest {

using Microsoft::WRL::ComPtr;

std::size_t DecodedPictureBytes(int width, int height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

namespace {

// The first frame of a picture file; the bytes must outlive it (WIC reads them in place).
ComPtr<IWICBitmapFrameDecode> FirstFrame(IWICImagingFactory& factory, const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty() || bytes.size() > MAXDWORD)
        return nullptr;
    ComPtr<IWICStream> stream;
    if (FAILED(factory.CreateStream(&stream)))
        return nullptr;
    // WIC never writes to the buffer.
    if (FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()))))
        return nullptr;
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory.CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnLoad, &decoder)))
        return nullptr;
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame)))
        return nullptr;
    return frame;
}

}  // namespace

std::optional<SIZE> HtmlPictureFileSize(IWICImagingFactory& factory, const std::vector<std::uint8_t>& bytes) {
    ComPtr<IWICBitmapFrameDecode> frame = FirstFrame(factory, bytes);
    UINT width = 0;
    UINT height = 0;
    if (!frame || FAILED(frame->GetSize(&width, &height)))
        return std::nullopt;
    return SIZE{static_cast<LONG>(width), static_cast<LONG>(height)};
}

std::optional<HtmlPicture> DecodeHtmlPicture(IWICImagingFactory& factory,
                                             const std::vector<std::uint8_t>& bytes,
                                             std::size_t maxDecodedBytes,
                                             std::optional<SIZE> size) {
    ComPtr<IWICBitmapFrameDecode> frame = FirstFrame(factory, bytes);
    if (!frame)
        return std::nullopt;
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory.CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return std::nullopt;
    ComPtr<IWICBitmapSource> pixels = converter;
    UINT width = 0;
    UINT height = 0;
    // A file larger than the view shows is no picture, whatever size it would be resampled to.
    if (FAILED(pixels->GetSize(&width, &height)) || width > kMaxPictureSide || height > kMaxPictureSide)
        return std::nullopt;
    if (size && size->cx > 0 && size->cy > 0 &&
        (static_cast<UINT>(size->cx) != width || static_cast<UINT>(size->cy) != height) &&
        size->cx <= kMaxPictureSide && size->cy <= kMaxPictureSide) {
        // Resampled once here rather than stretched at every paint; premultiplied pixels keep the edges clean.
        ComPtr<IWICBitmapScaler> scaler;
        if (SUCCEEDED(factory.CreateBitmapScaler(&scaler)) &&
            SUCCEEDED(scaler->Initialize(pixels.Get(), static_cast<UINT>(size->cx), static_cast<UINT>(size->cy),
                                         WICBitmapInterpolationModeFant))) {
            pixels = scaler;
            width = static_cast<UINT>(size->cx);
            height = static_cast<UINT>(size->cy);
        }
    }
    if (width == 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
        DecodedPictureBytes(static_cast<int>(width), static_cast<int>(height)) > maxDecodedBytes)
        return std::nullopt;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down, as WIC hands out rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HtmlPicture picture;
    picture.bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!picture.bitmap || !bits)
        return std::nullopt;
    UINT stride = width * 4;
    if (FAILED(pixels->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits))))
        return std::nullopt;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    return picture;
}

void DrawHtmlPicture(HDC dc, const HtmlPicture& picture, const RECT& target) {
    UniqueDc source(::CreateCompatibleDC(dc));
    if (!source)
        return;
    HtmlGdiSelection selection(source.get(), picture.bitmap.get());
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::AlphaBlend(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, source.get(), 0,
                 0, picture.width, picture.height, blend);
}

}  // namespace quillcrest
