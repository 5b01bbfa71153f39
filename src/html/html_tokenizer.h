#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillcrest {

// Limits on one tag, so that no page can make the view hold unbounded pieces of it. Longer names are cut (the
// tag then means nothing to the view), attributes beyond the count are dropped, long values are cut.
constexpr std::size_t kMaxTagNameLength = 16;
constexpr std::size_t kMaxAttributeNameLength = 32;
constexpr std::size_t kMaxAttributesPerTag = 32;
constexpr std::size_t kMaxAttributeValueLength = 4096;

struct HtmlAttribute {
    std::string name;   // lower case
    std::string value;  // character references decoded
};

struct HtmlToken {
    enum class Kind {
        Text,      // character data, references decoded
        StartTag,  // name and attributes
        EndTag,    // name only
    };
    Kind kind = Kind::Text;
    std::string name;  // lower case
    std::vector<HtmlAttribute> attributes;
    std::string text;
};

// Splits HTML source into tags and text. Comments, declarations and processing instructions are skipped; the
// content of <script> and <style> is skipped up to its end tag, and <title> content is text without tags. A tag
// cut off by the end of the input is dropped. Never fails: every byte sequence yields some tokens.
class HtmlTokenizer {
  public:
    explicit HtmlTokenizer(std::string_view input) : input_(input) {}

    // Fills token with the next one; false at the end of the input.
    bool Next(HtmlToken& token);

  private:
    enum class State {
        Data,     // text and tags
        RawText,  // inside an element whose content is no markup, until its end tag
        Done,     // input exhausted, stays so
    };

    bool ReadMarkup(HtmlToken& token);
    bool ReadTag(HtmlToken& token, bool endTag);
    void ReadAttributes(HtmlToken& token);
    std::string ReadAttributeValue();
    void SkipPast(std::string_view terminator);
    bool ReadRawText(HtmlToken& token);

    std::string_view input_;
    std::size_t pos_ = 0;
    State state_ = State::Data;
    std::string rawTextElement_;  // whose end tag ends RawText
};

}  // namespace quillcrest
