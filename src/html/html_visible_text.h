#pragma once

#include <string>

#include "html/html_tree.h"

namespace quillcrest {

// The text a reader sees, independent of the view's width: runs of white space collapse to one blank, blocks and
// line breaks start new lines (CR LF), cells of a row are separated by a tab. Titles, scripts and styles are not
// part of it.
std::string HtmlVisibleText(const HtmlTree& tree);

}  // namespace quillcrest
