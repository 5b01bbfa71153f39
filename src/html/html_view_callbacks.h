#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillcrest {

// What the owner of an HTML view learns and is asked while a page loads and while it is shown. Empty functions
// are allowed: the view then shows no pictures, and meta tags, the end of parsing and clicks go unnoticed.
struct HtmlViewCallbacks {
    // Each meta tag, in document order.
    std::function<void(const std::string& name, const std::string& content)> onMetaTag;
    // Each distinct picture source, in document order: the picture file's bytes, or nothing for no picture.
    std::function<std::optional<std::vector<std::uint8_t>>(const std::string& source)> onPictureRequest;
    // The page has been read and is now the one shown.
    std::function<void()> onParseEnd;
    // A link was clicked or followed with Enter. The view opens nothing itself.
    std::function<void(const std::string& address)> onLinkClick;
};

}  // namespace quillcrest
