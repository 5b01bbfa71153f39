#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "html/html_color.h"
#include "html/html_container.h"
#include "html/html_display_item.h"
#include "html/html_layout.h"
#include "html/html_tree.h"

namespace quillcrest {

// One page: parsed once, laid out for each view width, drawn and hit-tested through its container, which must
// outlive it.
class HtmlDocument {
  public:
    // Reads the page. Meta tags and picture requests reach the container in document order while it reads, the end
    // of parsing after it. margins: whether the content keeps its distance from the view's edges.
    HtmlDocument(std::string_view source, HtmlContainer& container, bool margins = true);

    // Lays the page out for a width in device pixels at a display density (see HtmlLayoutEngine).
    void Layout(int width, int dpi = kDesignDpi);

    int Width() const { return layout_.width; }
    int Height() const { return layout_.height; }
    const std::string& Title() const { return tree_.title; }
    std::optional<HtmlColor> Background() const { return background_; }
    const HtmlLayout& LaidOut() const { return layout_; }
    const std::vector<HtmlLink>& Links() const { return links_; }
    std::string VisibleText() const;

    // Draws what lies in clip (document coordinates), shifted by (dx, dy).
    void Draw(const HtmlRect& clip, int dx, int dy) const;

    // The link under a point of the document, -1 when none.
    int LinkAt(int x, int y) const;
    // Sets the cursor for the point: a hand over a link.
    void OnMouseMove(int x, int y) const;
    // Reports the link's address to the container.
    void FollowLink(int link) const;

  private:
    HtmlContainer& container_;
    bool margins_;
    HtmlTree tree_;
    HtmlPictureSizes pictures_;
    std::optional<HtmlColor> background_;
    HtmlLayout layout_;
    std::vector<HtmlLink> links_;
};

}  // namespace quillcrest
