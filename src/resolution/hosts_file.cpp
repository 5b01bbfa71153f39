#include "resolution/hosts_file.h"

#include <algorithm>
#include <unordered_set>

#include "base/ascii_case.h"
#include "resolution/ip_address_text.h"
#include "resolution/unicode_text.h"

namespace quillcrest {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";
constexpr char kCommentStart = '#';
// Up to this many names a line is searched for a repeat name by name; beyond it through a hash set, so that a
// line of a million names costs no more than a million lines.
constexpr std::size_t kNamesSearchedOneByOne = 8;

bool IsFieldSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\0';
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Splits one line (without its end) into fields up to its comment.
void SplitFields(std::string_view line, std::vector<std::string_view>& fields) {
    fields.clear();
    line = line.substr(0, line.find(kCommentStart));
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsFieldSeparator(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !IsFieldSeparator(line[i]))
            ++i;
        if (i > start)
            fields.push_back(line.substr(start, i - start));
    }
}

void ParseLine(std::string_view line, std::vector<std::string_view>& fields, HostsEntries& entries) {
    SplitFields(line, fields);
    if (fields.size() < 2 || !(IsStrictIpv4Address(fields[0]) || IsIpv6Address(fields[0])))
        return;
    HostsEntry entry;
    std::unordered_set<std::string> seen;
    const bool manyNames = fields.size() - 1 > kNamesSearchedOneByOne;
    for (std::size_t i = 1; i < fields.size(); ++i) {
        if (fields[i].size() > kLongestHostName)
            continue;
        std::string name = AsciiLowerCase(std::string(fields[i]));
        const bool repeated = manyNames ? !seen.insert(name).second
                                        : std::find(entry.names.begin(), entry.names.end(), name) != entry.names.end();
        if (!repeated)
            entry.names.push_back(std::move(name));
    }
    if (entry.names.empty())
        return;
    entry.address = AsciiLowerCase(std::string(fields[0]));
    entries.push_back(std::move(entry));
}

HostsEntries ParseText(std::string_view text) {
    HostsEntries entries;
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            ParseLine(text.substr(start), fields, entries);
            break;
        }
        ParseLine(text.substr(start, end - start), fields, entries);
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return entries;
}

}  // namespace

HostsEntries ParseHostsFile(std::string_view bytes) {
    if (StartsWith(bytes, kUtf16LittleEndianMark))
        return ParseText(Wtf8FromUtf16(UnitsFromLittleEndian(bytes.substr(kUtf16LittleEndianMark.size()))));
    if (StartsWith(bytes, kUtf16BigEndianMark))
        return ParseText(Wtf8FromUtf16(UnitsFromBigEndian(bytes.substr(kUtf16BigEndianMark.size()))));
    if (StartsWith(bytes, kUtf8Mark))
        bytes.remove_prefix(kUtf8Mark.size());
    return ParseText(bytes);
}

HostAddresses AddressesByHostName(const HostsEntries& entries) {
    HostAddresses byName;
    // Pairs already taken, as address NUL name: neither ever holds a NUL, which separates fields.
    std::unordered_set<std::string> pairs;
    for (const HostsEntry& entry : entries) {
        for (const std::string& name : entry.names) {
            if (pairs.insert(entry.address + '\0' + name).second)
                byName[name].push_back(entry.address);
        }
    }
    return byName;
}

}  // namespace quillcrest
