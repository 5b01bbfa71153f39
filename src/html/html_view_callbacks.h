#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillcrest {

// A picture file for the view and the density it was drawn for: a 24 x 24 picture drawn for 144 dots per inch
// takes the place of 16 x 16 CSS pixels.
struct HtmlPictureFile {
    std::vector<std::uint8_t> bytes;
    int dpi = 96;
};

// What the owner of an HTML view learns and is asked while a page loads and while it is shown. Empty functions
// are allowed: the view then shows no pictures, and meta tags, the end of parsing and clicks go unnoticed.
struct HtmlViewCallbacks {
    // Each meta tag, in document order.
    std::function<void(const std::string& name, const std::string& content)> onMetaTag;
    // Each distinct picture source, in document order, with the density of the view's display: the picture file
    // (best one drawn for that density), or nothing for no picture.
    std::function<std::optional<HtmlPictureFile>(const std::string& source, int dpi)> onPictureRequest;
    // The page has been read and is now the one shown.
    std::function<void()> onParseEnd;
    // A link was clicked or followed with Enter. The view opens nothing itself.
    std::function<void(const std::string& address)> onLinkClick;
};

}  // namespace quillcrest
