#pragma once

#include <string>
#include <tuple>

namespace quillcrest {

// A font as the page asks for it; the host turns it into a platform font and caches it.
struct HtmlFont {
    std::string face;
    int pixelHeight = 16;  // character height, without internal leading
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;

    bool operator<(const HtmlFont& other) const {
        return std::tie(face, pixelHeight, bold, italic, underline, strikeout) <
               std::tie(other.face, other.pixelHeight, other.bold, other.italic, other.underline, other.strikeout);
    }
    bool operator==(const HtmlFont& other) const { return !(*this < other) && !(other < *this); }
};

struct HtmlFontMetrics {
    int ascent = 0;   // from the top of the line box to the baseline
    int descent = 0;  // from the baseline to the bottom

    int Height() const { return ascent + descent; }
};

// Pixel heights of the seven HTML font sizes (8, 10, 12, 14, 18, 24 and 36 points at 96 dots per inch).
constexpr int kHtmlFontSizePixels[7] = {11, 13, 16, 19, 24, 32, 48};
constexpr int kDefaultHtmlFontSize = 3;
constexpr const char* kDefaultHtmlFontFace = "Times New Roman";

}  // namespace quillcrest
