#include "html/html_document.h"

#include "html/html_visible_text.h"

namespace quillcrest {
namespace {

// Hands the builder's reports on to the container, asking it for each picture's size on the way.
class ContainerEvents : public HtmlTreeEvents {
  public:
    ContainerEvents(HtmlContainer& container, HtmlPictureSizes& pictures)
        : container_(container), pictures_(pictures) {}

    void OnMetaTag(const std::string& name, const std::string& content) override {
        container_.OnMetaTag(name, content);
    }

    void OnPicture(const std::string& source) override {
        if (std::optional<HtmlSize> size = container_.LoadPicture(source))
            pictures_[source] = *size;
    }

  private:
    HtmlContainer& container_;
    HtmlPictureSizes& pictures_;
};

}  // namespace

HtmlDocument::HtmlDocument(std::string_view source, HtmlContainer& container, bool margins)
    : container_(container), margins_(margins) {
    ContainerEvents events(container_, pictures_);
    tree_ = BuildHtmlTree(source, events);
    for (const HtmlAttribute& attribute : tree_.bodyAttributes) {
        if (attribute.name == "bgcolor") {
            background_ = ParseHtmlColor(attribute.value);
            break;
        }
    }
    container_.OnParseEnd();
}

void HtmlDocument::Layout(int width, int dpi) {
    layout_ = LayOutHtml(tree_, pictures_, container_, width, margins_, dpi);
    links_.clear();
    for (const std::string& address : tree_.links)
        links_.push_back(HtmlLink{address, {}});
    for (const HtmlDisplayItem& item : layout_.items) {
        if (item.link >= 0 && static_cast<std::size_t>(item.link) < links_.size() && item.rect.width > 0 &&
            item.rect.height > 0)
            links_[static_cast<std::size_t>(item.link)].areas.push_back(item.rect);
    }
}

std::string HtmlDocument::VisibleText() const {
    return HtmlVisibleText(tree_);
}

void HtmlDocument::Draw(const HtmlRect& clip, int dx, int dy) const {
    for (const HtmlDisplayItem& item : layout_.items) {
        if (item.rect.width <= 0 || item.rect.height <= 0 || !item.rect.Intersects(clip))
            continue;
        HtmlRect shifted{item.rect.x + dx, item.rect.y + dy, item.rect.width, item.rect.height};
        switch (item.kind) {
            case HtmlDisplayItem::Kind::Fill:
                container_.FillRect(shifted, item.color);
                break;
            case HtmlDisplayItem::Kind::Text:
                container_.DrawText(item.content, layout_.fonts[static_cast<std::size_t>(item.font)], item.color,
                                    shifted.x, shifted.y);
                break;
            case HtmlDisplayItem::Kind::Picture:
                container_.DrawPicture(item.content, shifted);
                break;
        }
    }
}

int HtmlDocument::LinkAt(int x, int y) const {
    for (std::size_t link = 0; link < links_.size(); ++link) {
        for (const HtmlRect& area : links_[link].areas) {
            if (area.Contains(x, y))
                return static_cast<int>(link);
        }
    }
    return -1;
}

void HtmlDocument::OnMouseMove(int x, int y) const {
    container_.SetCursor(LinkAt(x, y) >= 0 ? HtmlCursor::Hand : HtmlCursor::Arrow);
}

void HtmlDocument::FollowLink(int link) const {
    if (link < 0 || static_cast<std::size_t>(link) >= links_.size())
        return;
    // A copy: the owner may replace the page, and with it this document, while it handles the click.
    std::string address = links_[static_cast<std::size_t>(link)].address;
    container_.OnAnchorClick(address);
}

}  // namespace quillcrest
