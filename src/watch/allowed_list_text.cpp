#include "watch/allowed_list_text.h"

#include <cstddef>

namespace quillcrest {
namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kLineEnd[] = "\r\n";

}  // namespace

std::vector<std::string> AllowedListLines(const std::string& fileText) {
    const std::string text = fileText.substr(0, fileText.find('\0'));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != kCarriageReturn && text[end] != kLineFeed)
            ++end;
        lines.push_back(text.substr(start, end - start));
        if (end < text.size() && text[end] == kCarriageReturn) {
            ++end;
            if (end < text.size() && text[end] == kLineFeed)
                ++end;
        } else if (end < text.size()) {
            ++end;  // a lone LF
        }
        start = end;
    }
    return lines;
}

bool IsWholeAllowedListFileText(const std::string& text) {
    constexpr std::size_t kLineEndLength = sizeof(kLineEnd) - 1;
    return text.size() >= kLineEndLength && text.compare(text.size() - kLineEndLength, kLineEndLength, kLineEnd) == 0;
}

std::string AllowedListFileText(const std::vector<std::string>& entries) {
    std::string text;
    for (const std::string& entry : entries) {
        text += entry;
        text += kLineEnd;
    }
    return text;
}

}  // namespace quillcrest
