#pragma once

#include <string>
#include <vector>

#include "html/html_color.h"
#include "html/html_container.h"

namespace quillcrest {

// One thing laid out on the page, in document coordinates. Painting draws the items in order, so backgrounds come
// before what lies on them.
struct HtmlDisplayItem {
    enum class Kind {
        Fill,     // a rectangle of colour: backgrounds, rules, borders
        Text,     // a run of text in one font, colour and link
        Picture,  // a picture by its source
    };
    Kind kind = Kind::Fill;
    HtmlRect rect;
    std::string content;  // the text, or the picture's source
    int font = -1;        // index into the layout's fonts, for text
    HtmlColor color;
    int link = -1;        // index into the document's links
    std::string element;  // tag of the element the item comes from
    // Text items that share this number belong to one run of text: a block's content up to the next block
    // boundary or line break. Readers that speak the page take each run as one piece.
    int textBlock = -1;
    bool listMarker = false;  // the bullet or number of a list item, emitted after the item's first line
};

struct HtmlLink {
    std::string address;
    std::vector<HtmlRect> areas;  // where it can be clicked, in document order
};

struct HtmlLayout {
    std::vector<HtmlDisplayItem> items;
    std::vector<HtmlFont> fonts;
    int width = 0;  // extent of the content, margins included
    int height = 0;
};

}  // namespace quillcrest
