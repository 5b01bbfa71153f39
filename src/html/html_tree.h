#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/html_tokenizer.h"

namespace quillcrest {

// Caps that keep any page, however large or deep, cheap to hold, lay out and paint. Input beyond the size cap is
// not read; elements beyond the depth cap do not nest (their text still shows); nodes beyond the count cap are
// not built. Layout recursion is bounded by the depth cap.
constexpr std::size_t kMaxDocumentBytes = 1 << 20;
constexpr int kMaxNestingDepth = 64;
constexpr std::size_t kMaxNodes = 50000;
// Each distinct picture source is asked for once; the owner is asked for no more than this many per page.
constexpr std::size_t kMaxPictureRequests = 256;

// One element or text run. Node 0 is the document body; text nodes have an empty tag.
struct HtmlNode {
    std::string tag;
    std::string text;
    // Shared, never changed once built: the copies of a formatting element that misnested end tags open again
    // hold the very attributes of the original, so a page cannot multiply its attribute bytes that way.
    std::shared_ptr<const std::vector<HtmlAttribute>> attributes;
    int parent = -1;
    std::vector<int> children;
    int link = -1;  // index into HtmlTree::links for <a href>

    bool IsText() const { return tag.empty(); }
    // The attribute's value, or nullptr when the element lacks it.
    const std::string* Attribute(std::string_view name) const;
};

struct HtmlTree {
    std::vector<HtmlNode> nodes;
    std::vector<HtmlAttribute> bodyAttributes;  // of <body> and <html>, the first of each name winning
    std::string title;
    std::vector<std::string> links;  // addresses of <a href>, in document order
};

// What the builder reports while it reads, in document order.
class HtmlTreeEvents {
  public:
    virtual ~HtmlTreeEvents() = default;
    virtual void OnMetaTag(const std::string& name, const std::string& content) = 0;
    virtual void OnPicture(const std::string& source) = 0;
};

// Builds the element tree the way browsers repair common mistakes: a new paragraph, list item, row or cell closes
// the open one, an end tag closes everything opened after its element, stray end tags are ignored, and cells
// outside a row get one.
HtmlTree BuildHtmlTree(std::string_view source, HtmlTreeEvents& events);

bool IsBlockElement(std::string_view tag);

}  // namespace quillcrest
