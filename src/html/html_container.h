#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "html/html_color.h"
#include "html/html_font.h"
#include "widgets/display_scale.h"

namespace quillcrest {

// A rectangle of the page, in device pixels.
using HtmlRect = LayoutBox;

struct HtmlSize {
    int width = 0;
    int height = 0;
};

enum class HtmlCursor { Arrow, Hand };

// Everything the document needs from the platform. The document parses and lays out portably and reaches fonts,
// pictures, the screen and the owner only through this, so a fake host makes layout a matter of plain numbers.
class HtmlContainer {
  public:
    virtual ~HtmlContainer() = default;

    // While loading, in document order.
    virtual void OnMetaTag(const std::string& name, const std::string& content) = 0;
    // Asked once for each distinct picture source; the picture's natural size, or nothing when there is none.
    virtual std::optional<HtmlSize> LoadPicture(const std::string& source) = 0;
    // After the whole document has been read.
    virtual void OnParseEnd() = 0;

    // Measuring, during layout.
    virtual HtmlFontMetrics FontMetrics(const HtmlFont& font) = 0;
    virtual int TextWidth(std::string_view text, const HtmlFont& font) = 0;

    // Drawing; (x, y) of text is the top of its line box.
    virtual void DrawText(std::string_view text, const HtmlFont& font, HtmlColor color, int x, int y) = 0;
    virtual void DrawPicture(const std::string& source, const HtmlRect& rect) = 0;
    virtual void FillRect(const HtmlRect& rect, HtmlColor color) = 0;

    // Interaction.
    virtual void OnAnchorClick(const std::string& address) = 0;
    virtual void SetCursor(HtmlCursor cursor) = 0;
};

}  // namespace quillcrest
