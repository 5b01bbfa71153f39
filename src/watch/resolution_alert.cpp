#include "watch/resolution_alert.h"

namespace quillcrest {
namespace {

// Lines start with a capital; only an ASCII letter has one (a host name may begin with any byte).
void CapitalizeFirstLetter(std::string& line) {
    if (!line.empty() && line.front() >= 'a' && line.front() <= 'z')
        line.front() = static_cast<char>(line.front() - 'a' + 'A');
}

// A name or value holding a line break (a rule's namespace, an adapter's name) must not make a line of its own,
// which could pass for a difference that is not there or push one out of sight.
void BlankOutControlCharacters(std::string& line) {
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
}

}  // namespace

std::vector<std::string> DifferenceLines(const std::vector<ResolutionDifference>& differences, std::size_t most) {
    std::vector<std::string> lines;
    for (const ResolutionDifference& difference : differences) {
        if (lines.size() == most) {
            const std::size_t more = differences.size() - most;
            lines.push_back("... and " + std::to_string(more) + (more == 1 ? " more change" : " more changes"));
            break;
        }
        std::string line = DescribeDifference(difference);
        BlankOutControlCharacters(line);
        CapitalizeFirstLetter(line);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string JoinedLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

}  // namespace quillcrest
