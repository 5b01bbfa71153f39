#include "html/html_picture_win.h"

#include <wrl/client.h>

#include "html/html_gdi_selection_win.h"
#include "html/html_layout.h"

namespace quillcrest {

using Microsoft::WRL::ComPtr;

std::size_t DecodedPictureBytes(int width, int height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

std::optional<HtmlPicture> DecodeHtmlPicture(IWICImagingFactory& factory,
                                             const std::vector<std::uint8_t>& bytes,
                                             std::size_t maxDecodedBytes) {
    if (bytes.empty() || bytes.size() > MAXDWORD)
        return std::nullopt;
    ComPtr<IWICStream> stream;
    if (FAILED(factory.CreateStream(&stream)))
        return std::nullopt;
    // WIC reads the buffer in place and never writes to it; the stream lives only inside this call.
    if (FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()))))
        return std::nullopt;
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory.CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnLoad, &decoder)))
        return std::nullopt;
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame)))
        return std::nullopt;
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory.CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return std::nullopt;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 || width > kMaxPictureSide ||
        height > kMaxPictureSide ||
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
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits))))
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
