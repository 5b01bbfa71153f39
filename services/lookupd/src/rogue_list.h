#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ipv4.h"

namespace quillcrest::lookupd {

// A warning must leave room for the rest of the reply within the reply size rule (see lookup_responder.h).
constexpr std::size_t kLongestWarning = 120;

// A list file that is larger than this is not a list someone wrote by hand.
constexpr std::size_t kLargestRogueListFile = 1 << 20;

// Known rogue DNS servers: address blocks, each with the warning the service gives for an address inside it.
// File format, one entry a line: "a.b.c.d/n warning text"; blank lines and lines starting with "#" are skipped.
// The warning may hold HTML (a link), but no ";" (it would split the reply) and no control characters.
class RogueList {
  public:
    struct Entry {
        AddressBlock block;
        std::string warning;
    };

    // Throws std::runtime_error naming the first bad line.
    static RogueList Parse(const std::string& text);
    // Throws std::runtime_error when the file cannot be read or holds a bad line.
    static RogueList Load(const std::string& path);

    // The warning of the first block that holds the address.
    std::optional<std::string> WarningFor(std::uint32_t address) const;

    const std::vector<Entry>& entries() const { return entries_; }

  private:
    std::vector<Entry> entries_;
};

}  // namespace quillcrest::lookupd
