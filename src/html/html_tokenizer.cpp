#include "html/html_tokenizer.h"

#include "base/ascii_case.h"
#include "html/html_entities.h"
#include "html/html_text.h"

namespace quillcrest {
namespace {

// Elements whose content is not markup. Script and style content is dropped; title content is text.
bool IsRawTextElement(std::string_view name) {
    return name == "script" || name == "style" || name == "title" || name == "textarea" || name == "xmp";
}

bool DropsRawText(std::string_view name) {
    return name == "script" || name == "style";
}

bool EndsName(char c) {
    return IsHtmlSpace(c) || c == '/' || c == '>';
}

}  // namespace

bool HtmlTokenizer::Next(HtmlToken& token) {
    while (state_ != State::Done) {
        token = HtmlToken{};
        if (state_ == State::RawText) {
            if (ReadRawText(token))
                return true;
            continue;
        }
        if (pos_ >= input_.size()) {
            state_ = State::Done;
            break;
        }
        if (input_[pos_] == '<') {
            if (ReadMarkup(token))
                return true;
            continue;
        }
        // Text runs up to the next '<' that could start markup; a lone '<' is text.
        std::size_t end = pos_ + 1;
        while (end < input_.size() && input_[end] != '<')
            ++end;
        token.kind = HtmlToken::Kind::Text;
        token.text = DecodeCharacterReferences(input_.substr(pos_, end - pos_));
        pos_ = end;
        return true;
    }
    return false;
}

// At '<'. Gives true when a token was produced; otherwise markup was skipped or '<' became text.
bool HtmlTokenizer::ReadMarkup(HtmlToken& token) {
    std::string_view rest = input_.substr(pos_);
    if (rest.substr(0, 4) == "<!--") {
        pos_ += 4;
        SkipPast("-->");
        return false;
    }
    if (rest.size() >= 2 && (rest[1] == '!' || rest[1] == '?')) {
        SkipPast(">");
        return false;
    }
    if (rest.size() >= 3 && rest[1] == '/' && IsAsciiLetter(rest[2])) {
        pos_ += 2;
        return ReadTag(token, true);
    }
    if (rest.size() >= 2 && IsAsciiLetter(rest[1])) {
        pos_ += 1;
        return ReadTag(token, false);
    }
    if (rest.size() >= 2 && rest[1] == '/') {
        // "</>" and "</ junk>" are no tags; browsers skip them.
        SkipPast(">");
        return false;
    }
    token.kind = HtmlToken::Kind::Text;
    token.text = "<";
    ++pos_;
    return true;
}

bool HtmlTokenizer::ReadTag(HtmlToken& token, bool endTag) {
    std::size_t start = pos_;
    while (pos_ < input_.size() && !EndsName(input_[pos_]))
        ++pos_;
    token.kind = endTag ? HtmlToken::Kind::EndTag : HtmlToken::Kind::StartTag;
    token.name = AsciiLowerCase(std::string(input_.substr(start, std::min(pos_ - start, kMaxTagNameLength))));
    ReadAttributes(token);
    if (pos_ >= input_.size()) {
        // Cut off by the end of the input: no tag.
        state_ = State::Done;
        return false;
    }
    ++pos_;  // '>'
    if (endTag) {
        token.attributes.clear();
    } else if (IsRawTextElement(token.name)) {
        state_ = State::RawText;
        rawTextElement_ = token.name;
    }
    return true;
}

// Reads attributes up to, not past, the closing '>'.
void HtmlTokenizer::ReadAttributes(HtmlToken& token) {
    while (pos_ < input_.size()) {
        char c = input_[pos_];
        if (c == '>')
            return;
        if (IsHtmlSpace(c) || c == '/') {
            ++pos_;
            continue;
        }
        std::size_t nameStart = pos_;
        // An attribute name runs to a space, '=', '/' or '>'; a first '=' belongs to the name.
        ++pos_;
        while (pos_ < input_.size() && !EndsName(input_[pos_]) && input_[pos_] != '=')
            ++pos_;
        std::string name =
            AsciiLowerCase(std::string(input_.substr(nameStart, std::min(pos_ - nameStart, kMaxAttributeNameLength))));
        while (pos_ < input_.size() && IsHtmlSpace(input_[pos_]))
            ++pos_;
        std::string value;
        if (pos_ < input_.size() && input_[pos_] == '=') {
            ++pos_;
            while (pos_ < input_.size() && IsHtmlSpace(input_[pos_]))
                ++pos_;
            value = ReadAttributeValue();
        }
        bool duplicate = false;
        for (const HtmlAttribute& existing : token.attributes)
            duplicate = duplicate || existing.name == name;
        // The first of two equal names counts, as in browsers.
        if (!duplicate && token.attributes.size() < kMaxAttributesPerTag)
            token.attributes.push_back({std::move(name), std::move(value)});
    }
}

std::string HtmlTokenizer::ReadAttributeValue() {
    std::size_t start = pos_;
    std::size_t end = pos_;
    if (pos_ < input_.size() && (input_[pos_] == '"' || input_[pos_] == '\'')) {
        char quote = input_[pos_];
        start = ++pos_;
        while (pos_ < input_.size() && input_[pos_] != quote)
            ++pos_;
        end = pos_;
        if (pos_ < input_.size())
            ++pos_;
    } else {
        while (pos_ < input_.size() && !IsHtmlSpace(input_[pos_]) && input_[pos_] != '>')
            ++pos_;
        end = pos_;
    }
    std::string value = DecodeCharacterReferences(input_.substr(start, std::min(end - start, kMaxAttributeValueLength)),
                                                  ReferencePlace::AttributeValue);
    if (value.size() > kMaxAttributeValueLength)
        value.resize(kMaxAttributeValueLength);
    return value;
}

void HtmlTokenizer::SkipPast(std::string_view terminator) {
    std::size_t found = input_.find(terminator, pos_);
    if (found == std::string_view::npos) {
        pos_ = input_.size();
        state_ = State::Done;
        return;
    }
    pos_ = found + terminator.size();
}

// Gives the element's content as one text token, or nothing for dropped content. The end tag stays in the input
// and is read as an ordinary tag next.
bool HtmlTokenizer::ReadRawText(HtmlToken& token) {
    std::size_t end = input_.size();
    std::size_t searchFrom = pos_;
    while (searchFrom < input_.size()) {
        std::size_t open = input_.find("</", searchFrom);
        if (open == std::string_view::npos)
            break;
        std::size_t after = open + 2 + rawTextElement_.size();
        if (EqualIgnoringAsciiCase(input_.substr(open + 2, rawTextElement_.size()), rawTextElement_) &&
            (after >= input_.size() || EndsName(input_[after]))) {
            end = open;
            break;
        }
        searchFrom = open + 2;
    }
    std::string_view content = input_.substr(pos_, end - pos_);
    pos_ = end;
    state_ = State::Data;
    if (DropsRawText(rawTextElement_) || content.empty())
        return false;
    token.kind = HtmlToken::Kind::Text;
    token.text = DecodeCharacterReferences(content);
    return true;
}

}  // namespace quillcrest
