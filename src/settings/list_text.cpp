#include "settings/list_text.h"

#include <cstddef>

namespace quillcrest {
namespace {

constexpr char kSeparator = ',';
constexpr char kQuote = '"';
// Blank and every byte below it count as white space between entries.
constexpr unsigned char kLastBlankByte = ' ';

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= kLastBlankByte;
}

bool NeedsQuotes(const std::string& entry) {
    for (char c : entry) {
        if (IsBlankOrControl(c) || c == kSeparator || c == kQuote)
            return true;
    }
    return false;
}

std::string Quoted(const std::string& entry) {
    std::string out(1, kQuote);
    for (char c : entry) {
        out += c;
        if (c == kQuote)
            out += kQuote;
    }
    out += kQuote;
    return out;
}

void SkipBlanks(const std::string& text, std::size_t& i) {
    while (i < text.size() && IsBlankOrControl(text[i]))
        ++i;
}

// i stands on the opening quote; leaves i just past the closing one. An unclosed quote takes the rest.
std::string TakeQuoted(const std::string& text, std::size_t& i) {
    std::string entry;
    ++i;
    while (i < text.size()) {
        if (text[i] != kQuote) {
            entry += text[i++];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == kQuote) {
            entry += kQuote;
            i += 2;
            continue;
        }
        ++i;
        break;
    }
    return entry;
}

std::string TakePlain(const std::string& text, std::size_t& i) {
    const std::size_t first = i;
    while (i < text.size() && !IsBlankOrControl(text[i]) && text[i] != kSeparator)
        ++i;
    return text.substr(first, i - first);
}

}  // namespace

std::string CommaText(const std::vector<std::string>& entries) {
    std::string text;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > 0)
            text += kSeparator;
        text += NeedsQuotes(entries[i]) ? Quoted(entries[i]) : entries[i];
    }
    return text;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> entries;
    std::size_t i = 0;
    SkipBlanks(text, i);
    while (i < text.size()) {
        entries.push_back(text[i] == kQuote ? TakeQuoted(text, i) : TakePlain(text, i));
        SkipBlanks(text, i);
        if (i < text.size() && text[i] == kSeparator) {
            if (i + 1 == text.size())
                entries.emplace_back();
            ++i;
            SkipBlanks(text, i);
        }
    }
    return entries;
}

}  // namespace quillcrest
