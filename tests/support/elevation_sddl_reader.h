#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "elevation/file_security.h"

namespace quillcrest::fakes {

// Reads descriptors written in SDDL into the portable FileSecurity, as far as the protection rows need it, so
// that the rows can be written the way the system documents descriptors and judged natively:
//   O:sid  G:sid (skipped)  D:flags(ace)(ace)...  (no D: part: no DACL at all)
//   ace = type;flags;rights;;;sid  with types A D AU AL, flags OI CI NP IO ID SA FA, rights FA FR FW FX GA GR GW GX
//   SD WD WO RC DC LC or one hexadecimal mask 0x..., and SIDs as S-1-... or one of SY BA BU AU CO WD AC.
// Allowed and denied entries keep their SID; other types keep their type, flags and mask, as the Win32 reader
// does. Anything else raises std::invalid_argument, so a row cannot silently mean less than it says.
namespace sddl {

inline std::string Sid(const std::string& text) {
    static const std::map<std::string, std::string> kAliases = {
        {"SY", "S-1-5-18"}, {"BA", "S-1-5-32-544"}, {"BU", "S-1-5-32-545"}, {"AU", "S-1-5-11"},
        {"CO", "S-1-3-0"},  {"WD", "S-1-1-0"},      {"AC", "S-1-15-2-1"},
    };
    const auto alias = kAliases.find(text);
    if (alias != kAliases.end())
        return alias->second;
    if (text.rfind("S-1-", 0) == 0)
        return text;
    throw std::invalid_argument("SDDL: unknown SID \"" + text + "\"");
}

// Concatenated two-letter codes, each looked up in the table.
template <typename Value>
Value Codes(const std::string& text, const std::map<std::string, Value>& table, const char* what) {
    if (text.size() % 2 != 0)
        throw std::invalid_argument(std::string("SDDL: odd ") + what + " \"" + text + "\"");
    Value value = 0;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const auto code = table.find(text.substr(i, 2));
        if (code == table.end())
            throw std::invalid_argument(std::string("SDDL: unknown ") + what + " \"" + text.substr(i, 2) + "\"");
        value = static_cast<Value>(value | code->second);
    }
    return value;
}

inline std::uint32_t Rights(const std::string& text) {
    if (text.rfind("0x", 0) == 0)
        return static_cast<std::uint32_t>(std::stoul(text, nullptr, 16));
    static const std::map<std::string, std::uint32_t> kRights = {
        {"FA", 0x001F01FF}, {"FR", 0x00120089}, {"FW", 0x00120116}, {"FX", 0x001200A0}, {"GA", 0x10000000},
        {"GR", 0x80000000}, {"GW", 0x40000000}, {"GX", 0x20000000}, {"SD", 0x00010000}, {"WD", 0x00040000},
        {"WO", 0x00080000}, {"RC", 0x00020000}, {"DC", 0x00000002}, {"LC", 0x00000004},
    };
    return Codes(text, kRights, "right");
}

inline std::uint8_t AceFlags(const std::string& text) {
    static const std::map<std::string, std::uint8_t> kFlags = {
        {"OI", 0x01}, {"CI", 0x02}, {"NP", 0x04}, {"IO", 0x08}, {"ID", 0x10}, {"SA", 0x40}, {"FA", 0x80},
    };
    return Codes(text, kFlags, "entry flag");
}

inline std::uint8_t AceType(const std::string& text) {
    static const std::map<std::string, std::uint8_t> kTypes = {{"A", 0}, {"D", 1}, {"AU", 2}, {"AL", 3}};
    const auto type = kTypes.find(text);
    if (type == kTypes.end())
        throw std::invalid_argument("SDDL: unknown entry type \"" + text + "\"");
    return type->second;
}

inline std::vector<std::string> Fields(const std::string& text, char separator) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        fields.push_back(text.substr(start, end - start));
    fields.push_back(text.substr(start));
    return fields;
}

inline AccessEntry Entry(const std::string& text) {
    const std::vector<std::string> fields = Fields(text, ';');
    if (fields.size() != 6 || !fields[3].empty() || !fields[4].empty())
        throw std::invalid_argument("SDDL: entry \"" + text + "\" is not type;flags;rights;;;sid");
    AccessEntry entry{AceType(fields[0]), AceFlags(fields[1]), Rights(fields[2]), ""};
    if (entry.type == access::kAllowedEntry || entry.type == access::kDeniedEntry)
        entry.sid = Sid(fields[5]);
    return entry;
}

// The DACL part after "D:": flags (P, AI, AR; they do not change what the entries grant), then the entries.
inline std::vector<AccessEntry> Dacl(const std::string& text) {
    std::size_t at = text.find('(');
    const std::string flags = text.substr(0, at);
    if (flags.find_first_not_of("PAIR") != std::string::npos)
        throw std::invalid_argument("SDDL: unknown DACL flags \"" + flags + "\"");
    std::vector<AccessEntry> entries;
    while (at != std::string::npos && at < text.size()) {
        const std::size_t close = text.find(')', at);
        if (text[at] != '(' || close == std::string::npos)
            throw std::invalid_argument("SDDL: entries in \"" + text + "\" are not in parentheses");
        entries.push_back(Entry(text.substr(at + 1, close - at - 1)));
        at = close + 1;
    }
    return entries;
}

}  // namespace sddl

inline FileSecurity FileSecurityFromSddl(const std::string& text) {
    // Each part starts with its letter and ":"; a SID never holds a ":".
    std::map<char, std::string> parts;
    std::size_t at = 0;
    while (at < text.size()) {
        if (at + 1 >= text.size() || text[at + 1] != ':' || std::string("OGD").find(text[at]) == std::string::npos)
            throw std::invalid_argument("SDDL: no part starts at \"" + text.substr(at) + "\"");
        std::size_t next = at + 2;
        while (next < text.size() && !(next + 1 < text.size() && text[next + 1] == ':')) {
            if (text[next] != '(') {
                ++next;
                continue;
            }
            const std::size_t close = text.find(')', next);
            if (close == std::string::npos)
                throw std::invalid_argument("SDDL: an entry of \"" + text + "\" is not closed");
            next = close + 1;
        }
        parts[text[at]] = text.substr(at + 2, next - at - 2);
        at = next;
    }
    FileSecurity security;
    security.readable = true;
    if (parts.count('O'))
        security.owner = sddl::Sid(parts['O']);
    if (parts.count('D'))
        security.dacl = sddl::Dacl(parts['D']);
    return security;
}

}  // namespace quillcrest::fakes
