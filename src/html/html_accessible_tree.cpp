#include "html/html_accessible_tree.h"

#include <algorithm>

#include "html/html_text.h"

namespace quillcrest {
namespace {

HtmlRect Union(const HtmlRect& a, const HtmlRect& b) {
    int left = std::min(a.x, b.x);
    int top = std::min(a.y, b.y);
    return {left, top, std::max(a.Right(), b.Right()) - left, std::max(a.Bottom(), b.Bottom()) - top};
}

std::string Trimmed(const std::string& text) {
    return std::string(TrimHtmlSpace(text));
}

class AccessibleTreeBuilder {
  public:
    explicit AccessibleTreeBuilder(const std::vector<HtmlLink>& links) : links_(links) {}

    void Add(const HtmlDisplayItem& item) {
        if (item.rect.width <= 0 || item.rect.height <= 0 || item.kind == HtmlDisplayItem::Kind::Fill)
            return;
        bool isLink = item.link >= 0 && static_cast<std::size_t>(item.link) < links_.size();
        if (item.kind == HtmlDisplayItem::Kind::Picture && !isLink)
            return;
        if (item.listMarker) {
            AddMarker(item);
            return;
        }
        if (!Continues(item, isLink)) {
            HtmlAccessibleNode node;
            node.role = isLink ? HtmlAccessibleNode::Role::Link : HtmlAccessibleNode::Role::Text;
            node.link = isLink ? item.link : -1;
            node.bounds = item.rect;
            nodes_.push_back(std::move(node));
            firstTextBlocks_.push_back(item.textBlock);
            last_ = nullptr;
        }
        HtmlAccessibleNode& node = nodes_.back();
        node.bounds = Union(node.bounds, item.rect);
        if (item.kind == HtmlDisplayItem::Kind::Text) {
            // Items of one line follow each other without a gap; a wrapped line starts left of where the last
            // one ended, and the blank the wrap took is given back.
            bool sameLine = last_ && item.rect.x == last_->rect.Right();
            if (!sameLine && !node.name.empty())
                node.name += ' ';
            node.name += item.content;
        }
        last_ = &item;
    }

    std::vector<HtmlAccessibleNode> Finish() {
        std::vector<HtmlAccessibleNode> finished;
        for (HtmlAccessibleNode& node : nodes_) {
            node.name = Trimmed(node.name);
            if (node.role == HtmlAccessibleNode::Role::Link && node.name.empty())
                node.name = links_[static_cast<std::size_t>(node.link)].address;
            if (!node.name.empty())
                finished.push_back(std::move(node));
        }
        return finished;
    }

  private:
    bool Continues(const HtmlDisplayItem& item, bool isLink) const {
        if (nodes_.empty() || !last_)
            return false;
        const HtmlAccessibleNode& node = nodes_.back();
        if (isLink)
            return node.role == HtmlAccessibleNode::Role::Link && node.link == item.link;
        return node.role == HtmlAccessibleNode::Role::Text && last_->textBlock == item.textBlock;
    }

    // The layout places a marker once its item's first line stands, so it arrives after that line's text; it is
    // read before it.
    void AddMarker(const HtmlDisplayItem& item) {
        std::size_t first = nodes_.size();
        while (first > 0 && firstTextBlocks_[first - 1] == item.textBlock)
            --first;
        if (first < nodes_.size() && nodes_[first].role == HtmlAccessibleNode::Role::Text) {
            nodes_[first].name = item.content + " " + nodes_[first].name;
            nodes_[first].bounds = Union(nodes_[first].bounds, item.rect);
            return;
        }
        HtmlAccessibleNode marker;
        marker.name = item.content;
        marker.bounds = item.rect;
        nodes_.insert(nodes_.begin() + static_cast<std::ptrdiff_t>(first), std::move(marker));
        firstTextBlocks_.insert(firstTextBlocks_.begin() + static_cast<std::ptrdiff_t>(first), item.textBlock);
        // Nothing more joins the marker: what follows belongs to the nodes after it.
        if (first == nodes_.size() - 1)
            last_ = nullptr;
    }

    const std::vector<HtmlLink>& links_;
    std::vector<HtmlAccessibleNode> nodes_;
    std::vector<int> firstTextBlocks_;
    const HtmlDisplayItem* last_ = nullptr;  // the item the last node ended with
};

}  // namespace

std::vector<HtmlAccessibleNode> HtmlAccessibleNodes(const HtmlLayout& layout, const std::vector<HtmlLink>& links) {
    AccessibleTreeBuilder builder(links);
    for (const HtmlDisplayItem& item : layout.items)
        builder.Add(item);
    return builder.Finish();
}

}  // namespace quillcrest
