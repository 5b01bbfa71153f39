// Loads arbitrary bytes as a page, lays it out at a width taken from the input, draws it and hit-tests it against
// a host with fixed metrics, and builds what screen readers are shown of it. Any crash, sanitizer report or hang
// is a fault in the document.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "html/html_accessible_tree.h"
#include "html/html_container.h"
#include "html/html_document.h"

namespace {

class FixedMetricsContainer : public quillcrest::HtmlContainer {
  public:
    void OnMetaTag(const std::string&, const std::string&) override {}
    std::optional<quillcrest::HtmlSize> LoadPicture(const std::string& source) override {
        // Sources decide whether a picture exists and how big it is, so the fuzzer reaches every picture path.
        if (source.empty() || source[0] == 'x')
            return std::nullopt;
        return quillcrest::HtmlSize{static_cast<int>(source.size() * 13 % 5000),
                                    static_cast<int>(static_cast<unsigned char>(source[0]) * 17 % 5000)};
    }
    void OnParseEnd() override {}
    quillcrest::HtmlFontMetrics FontMetrics(const quillcrest::HtmlFont& font) override {
        return {font.pixelHeight * 3 / 4, font.pixelHeight - font.pixelHeight * 3 / 4};
    }
    int TextWidth(std::string_view text, const quillcrest::HtmlFont& font) override {
        return static_cast<int>(text.size()) * (font.bold ? 8 : 7);
    }
    void DrawText(std::string_view, const quillcrest::HtmlFont&, quillcrest::HtmlColor, int, int) override {}
    void DrawPicture(const std::string&, const quillcrest::HtmlRect&) override {}
    void FillRect(const quillcrest::HtmlRect&, quillcrest::HtmlColor) override {}
    void OnAnchorClick(const std::string&) override {}
    void SetCursor(quillcrest::HtmlCursor) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    int width = data[0] * 4;
    bool margins = (data[1] & 1) != 0;
    // Pages are laid out at the display densities of 100, 125, 150 and 200 %, where every length the page gives
    // is scaled.
    constexpr int kDpis[] = {96, 120, 144, 192};
    const int dpi = kDpis[(data[1] >> 1) & 3];
    std::string_view source(reinterpret_cast<const char*>(data) + 2, size - 2);
    FixedMetricsContainer container;
    quillcrest::HtmlDocument document(source, container, margins);
    document.Layout(width, dpi);
    document.Draw({0, 0, document.Width(), document.Height()}, 0, -5);
    document.OnMouseMove(width / 2, 10);
    for (const quillcrest::HtmlLink& link : document.Links()) {
        for (const quillcrest::HtmlRect& area : link.areas)
            document.FollowLink(document.LinkAt(area.x, area.y));
    }
    document.VisibleText();
    quillcrest::HtmlAccessibleNodes(document.LaidOut(), document.Links());
    return 0;
}
