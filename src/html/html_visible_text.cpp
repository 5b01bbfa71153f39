#include "html/html_visible_text.h"

#include "html/html_text.h"

namespace quillcrest {
namespace {

class VisibleTextWriter {
  public:
    explicit VisibleTextWriter(const HtmlTree& tree) : tree_(tree) {}

    std::string Write() {
        Visit(0, 0);
        while (!text_.empty() && (text_.back() == '\n' || text_.back() == '\r' || text_.back() == '\t'))
            text_.pop_back();
        return std::move(text_);
    }

  private:
    void Visit(int index, int depth) {
        if (depth > kMaxNestingDepth * 2)
            return;
        const HtmlNode& node = tree_.nodes[static_cast<std::size_t>(index)];
        if (node.IsText()) {
            AddText(node.text);
            return;
        }
        const std::string& tag = node.tag;
        bool block = index != 0 && IsBlockElement(tag) && tag != "td" && tag != "th";
        if (tag == "br") {
            text_ += "\r\n";
            space_ = false;
            return;
        }
        if (tag == "td" || tag == "th") {
            if (!AtLineStart())
                text_ += '\t';
            space_ = false;
        }
        if (block)
            StartLine();
        for (int child : node.children)
            Visit(child, depth + 1);
        if (block)
            StartLine();
    }

    bool AtLineStart() const { return text_.empty() || text_.back() == '\n'; }

    void StartLine() {
        if (!AtLineStart())
            text_ += "\r\n";
        space_ = false;
    }

    void AddText(const std::string& text) {
        for (char c : text) {
            if (IsHtmlSpace(c)) {
                space_ = true;
                continue;
            }
            if (space_ && !AtLineStart() && text_.back() != '\t')
                text_ += ' ';
            space_ = false;
            text_ += c;
        }
    }

    const HtmlTree& tree_;
    std::string text_;
    bool space_ = false;
};

}  // namespace

std::string HtmlVisibleText(const HtmlTree& tree) {
    return VisibleTextWriter(tree).Write();
}

}  // namespace quillcrest
