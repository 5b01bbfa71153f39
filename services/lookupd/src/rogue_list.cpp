#include "rogue_list.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace quillcrest::lookupd {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool IsAllowedInWarning(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code >= 0x20 && code != 0x7F && c != ';';
}

}  // namespace

RogueList RogueList::Parse(const std::string& text) {
    RogueList list;
    std::istringstream lines(text);
    std::string raw;
    int number = 0;
    while (std::getline(lines, raw)) {
        ++number;
        const std::string_view line = Trimmed(raw);
        if (line.empty() || line.front() == '#')
            continue;
        std::size_t split = 0;
        while (split < line.size() && !IsBlank(line[split]))
            ++split;
        const std::optional<AddressBlock> block = ParseAddressBlock(line.substr(0, split));
        const std::string_view warning = Trimmed(line.substr(split));
        bool clean = !warning.empty() && warning.size() <= kLongestWarning;
        for (char c : warning)
            clean = clean && IsAllowedInWarning(c);
        if (!block || !clean)
            throw std::runtime_error("rogue list line " + std::to_string(number) + " is not \"a.b.c.d/n warning\"");
        list.entries_.push_back({*block, std::string(warning)});
    }
    return list;
}

RogueList RogueList::Load(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read the rogue list " + path);
    std::string text;
    text.resize(kLargestRogueListFile + 1);
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    if (text.size() > kLargestRogueListFile)
        throw std::runtime_error("the rogue list " + path + " is too large");
    return Parse(text);
}

std::optional<std::string> RogueList::WarningFor(std::uint32_t address) const {
    for (const Entry& entry : entries_) {
        if (entry.block.Contains(address))
            return entry.warning;
    }
    return std::nullopt;
}

}  // namespace quillcrest::lookupd
