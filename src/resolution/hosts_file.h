#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quillcrest {

// The hosts file as Windows' resolver takes it: bytes in, the names each line maps out. The reading, where the
// file's own description leaves room:
//  - Encoding: bytes FF FE at the start mean UTF-16 little-endian and FE FF big-endian; the rest is decoded (a
//    lone surrogate is kept as it is, an odd last byte is dropped). EF BB BF at the start (the UTF-8 mark) is
//    skipped. Anything else is read byte by byte as 8-bit text, UTF-8 or a code page alike. UTF-16 without a
//    mark is read the same way: its zero bytes separate every character, so no line gives an address and the
//    file maps nothing, as it maps nothing for a resolver that reads 8-bit text.
//  - Lines end at CR LF, a lone LF or a lone CR. A line has no length limit of its own: how much of a very long
//    line the resolver keeps is not documented, so all of it counts (the whole file is at most
//    kHostsFileParseLimit bytes).
//  - "#" starts a comment that runs to the end of the line, wherever it stands. Blank lines and comments map
//    nothing.
//  - Fields are separated by blanks, tabs, vertical tabs, form feeds and NUL bytes; a NUL is taken as a blank,
//    so nothing after it is lost.
//  - The first field is the address: a strict dotted-decimal IPv4 address or an IPv6 address (see
//    ip_address_text.h). A line whose first field is anything else maps nothing, as the resolver skips it. The
//    address is kept as written, its ASCII letters made small.
//  - Every later field is a name (Windows documents one name and aliases after it). A field longer than
//    kLongestHostName bytes is no name: no DNS name is that long, so no lookup can ask for it.
//  - Names are compared without regard to the case of ASCII letters, so they are kept with those letters
//    made small; other bytes are kept as they are. A name twice on one line counts once.
//  - A name on several lines has every address of those lines, in the order the lines come, each once: the
//    resolver answers with all of them.

// Files larger than this are not parsed: they are compared by their digest only.
constexpr std::size_t kHostsFileParseLimit = 16 * 1024 * 1024;
// The longest name a DNS lookup can ask for, in bytes.
constexpr std::size_t kLongestHostName = 255;

// One line that maps names.
struct HostsEntry {
    std::string address;
    std::vector<std::string> names;

    friend bool operator==(const HostsEntry& a, const HostsEntry& b) {
        return a.address == b.address && a.names == b.names;
    }
};

// Every line that maps names, in file order.
using HostsEntries = std::vector<HostsEntry>;

// The entries of a hosts file's bytes. Never fails: bytes it cannot take map nothing.
HostsEntries ParseHostsFile(std::string_view bytes);

// Each name with its addresses, in the order the lines give them, each once.
using HostAddresses = std::map<std::string, std::vector<std::string>>;
HostAddresses AddressesByHostName(const HostsEntries& entries);

}  // namespace quillcrest
