#include "http/http_header_lines.h"

#include <algorithm>
#include <climits>

#include "base/ascii_case.h"
#include "settings/decimal_text.h"

namespace quillcrest {
namespace {

constexpr int kNoStatusCode = -1;

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

}  // namespace

std::string TrimBlanksAndControls(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && IsBlankOrControl(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

int StatusCodeOf(const std::string& statusLine) {
    const std::size_t firstSpace = statusLine.find(' ');
    if (firstSpace == std::string::npos)
        return kNoStatusCode;
    const std::size_t wordStart = firstSpace + 1;
    const std::size_t wordEnd = statusLine.find(' ', wordStart);
    const auto number = ParseDecimal(statusLine.substr(wordStart, wordEnd - wordStart));
    if (!number || *number < INT_MIN || *number > INT_MAX)
        return kNoStatusCode;
    return static_cast<int>(*number);
}

std::string HeaderValue(const std::vector<std::string>& headerLines, std::string name) {
    if (name.empty() || name.back() != ':')
        name += ':';
    for (std::size_t i = 0; i < headerLines.size(); ++i) {
        const std::string& line = headerLines[i];
        if (!StartsWithIgnoringAsciiCase(line, name))
            continue;
        // The character after the colon is taken for the separating blank, even when it is not one.
        const std::size_t valueStart = std::min(name.size() + 1, line.size());
        std::string value = TrimBlanksAndControls(line.substr(valueStart));
        for (std::size_t next = i + 1; next < headerLines.size(); ++next) {
            const std::string& continuation = headerLines[next];
            if (continuation.empty() || (continuation[0] != ' ' && continuation[0] != '\t'))
                break;
            value += ' ';
            value += TrimBlanksAndControls(continuation);
        }
        return value;
    }
    return "";
}

}  // namespace quillcrest
