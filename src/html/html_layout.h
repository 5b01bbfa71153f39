#pragma once

#include <map>
#include <string>

#include "html/html_container.h"
#include "html/html_display_item.h"
#include "html/html_tree.h"
#include "widgets/display_scale.h"

namespace quillcrest {

// Largest width or height of a picture, whether decoded or asked for by the page.
constexpr int kMaxPictureSide = 4096;

// Space around the content of a page shown with margins.
constexpr int kHtmlPageMargin = 8;

// Natural sizes of the pictures that loaded, by source.
using HtmlPictureSizes = std::map<std::string, HtmlSize>;

// Lays the tree out for a view width (device pixels) at a display density into display items in device pixels,
// measuring text through the container. Picture sizes are natural sizes in CSS pixels.
HtmlLayout LayOutHtml(const HtmlTree& tree,
                      const HtmlPictureSizes& pictures,
                      HtmlContainer& container,
                      int width,
                      bool margins,
                      int dpi = kDesignDpi);

}  // namespace quillcrest
