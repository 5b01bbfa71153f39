#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "html/html_container.h"
#include "widgets/display_scale.h"

namespace quillcrest {

// A host with fixed metrics: every character is 7 pixels wide, three quarters of a font's height lie above the
// baseline. It logs what the document reports while loading, the drawing calls and the clicks.
class FakeHtmlContainer : public HtmlContainer {
  public:
    static constexpr int kCharacterWidth = 7;

    // Sizes of the pictures the owner can hand out, by source; any other source has no picture.
    std::map<std::string, HtmlSize> pictures;

    std::vector<std::string> loadEvents;  // "meta name=content", "picture source", "end", in the order reported
    std::vector<std::string> drawnTexts;
    std::vector<std::string> drawnPictures;
    int fills = 0;
    std::vector<std::string> clickedAddresses;
    std::optional<HtmlCursor> cursor;

    void OnMetaTag(const std::string& name, const std::string& content) override {
        loadEvents.push_back("meta " + name + "=" + content);
    }
    std::optional<HtmlSize> LoadPicture(const std::string& source) override {
        loadEvents.push_back("picture " + source);
        auto found = pictures.find(source);
        if (found == pictures.end())
            return std::nullopt;
        return found->second;
    }
    void OnParseEnd() override { loadEvents.push_back("end"); }

    HtmlFontMetrics FontMetrics(const HtmlFont& font) override {
        HtmlFontMetrics metrics;
        metrics.ascent = font.pixelHeight * 3 / 4;
        metrics.descent = font.pixelHeight - metrics.ascent;
        return metrics;
    }
    // The display density the page is laid out for: characters are 7 pixels wide at 96 dpi and scale with it,
    // like a real font made for the density.
    int dpi = 96;

    int TextWidth(std::string_view text, const HtmlFont&) override {
        return static_cast<int>(text.size()) * ScaleToDpi(kCharacterWidth, dpi);
    }

    void DrawText(std::string_view text, const HtmlFont&, HtmlColor, int, int) override {
        drawnTexts.emplace_back(text);
    }
    void DrawPicture(const std::string& source, const HtmlRect&) override { drawnPictures.push_back(source); }
    void FillRect(const HtmlRect&, HtmlColor) override { ++fills; }

    void OnAnchorClick(const std::string& address) override { clickedAddresses.push_back(address); }
    void SetCursor(HtmlCursor newCursor) override { cursor = newCursor; }
};

}  // namespace quillcrest
