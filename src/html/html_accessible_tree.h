#pragma once

#include <string>
#include <vector>

#include "html/html_display_item.h"

namespace quillcrest {

// One child of a page as a screen reader meets it: a run of text or a link.
struct HtmlAccessibleNode {
    enum class Role { Text, Link };
    Role role = Role::Text;
    std::string name;  // what is read out, in the page's code page
    int link = -1;     // links only: index into the document's links
    HtmlRect bounds;   // document coordinates, around all of its items
};

// The children of a laid-out page in reading order. Text outside links forms one node per text run (a block's
// content up to a block boundary or line break, wrapped lines joined by a blank); each link is one node, named by
// its text, or by its address when it holds only pictures. A list item's bullet or number leads its first run.
// Pictures outside links, rules and backgrounds say nothing and are left out.
std::vector<HtmlAccessibleNode> HtmlAccessibleNodes(const HtmlLayout& layout, const std::vector<HtmlLink>& links);

}  // namespace quillcrest
