#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillcrest {

// The parts of a file's or folder's security descriptor that decide who can change it, in a form portable code
// can judge: SIDs as their "S-1-..." text, entries with the system's own numbers. The values below are the
// system's (winnt.h); they are repeated here so that the judgement builds and is tested everywhere.
namespace access {

constexpr std::uint8_t kAllowedEntry = 0x00;  // ACCESS_ALLOWED_ACE_TYPE
constexpr std::uint8_t kDeniedEntry = 0x01;   // ACCESS_DENIED_ACE_TYPE

constexpr std::uint8_t kInheritOnly = 0x08;  // INHERIT_ONLY_ACE: passes on to children, grants nothing here

constexpr std::uint32_t kWriteData = 0x00000002;       // FILE_WRITE_DATA, on a folder FILE_ADD_FILE
constexpr std::uint32_t kAppendData = 0x00000004;      // FILE_APPEND_DATA, on a folder FILE_ADD_SUBDIRECTORY
constexpr std::uint32_t kDeleteChild = 0x00000040;     // FILE_DELETE_CHILD
constexpr std::uint32_t kDelete = 0x00010000;          // DELETE
constexpr std::uint32_t kWriteDac = 0x00040000;        // WRITE_DAC
constexpr std::uint32_t kWriteOwner = 0x00080000;      // WRITE_OWNER
constexpr std::uint32_t kMaximumAllowed = 0x02000000;  // MAXIMUM_ALLOWED
constexpr std::uint32_t kGenericAll = 0x10000000;      // GENERIC_ALL
constexpr std::uint32_t kGenericWrite = 0x40000000;    // GENERIC_WRITE

}  // namespace access

// One entry of a DACL as the system stores it.
struct AccessEntry {
    std::uint8_t type = access::kAllowedEntry;
    std::uint8_t flags = 0;
    std::uint32_t mask = 0;
    std::string sid;  // empty for entry types whose SID is not read

    bool operator==(const AccessEntry& other) const {
        return type == other.type && flags == other.flags && mask == other.mask && sid == other.sid;
    }
};

// What was read of one descriptor. A reader that could not read it, or met something it cannot represent,
// says so here rather than leaving parts out.
struct FileSecurity {
    bool readable = false;
    // Something of the descriptor could not be put into this form (an entry or a SID that could not be read).
    bool holdsUnknown = false;
    std::optional<std::string> owner;  // nullopt: the descriptor names no owner
    // nullopt: no DACL at all (a null DACL), which lets everyone do everything; an empty list lets no one in.
    std::optional<std::vector<AccessEntry>> dacl;

    bool operator==(const FileSecurity& other) const {
        return readable == other.readable && holdsUnknown == other.holdsUnknown && owner == other.owner &&
               dacl == other.dacl;
    }
};

}  // namespace quillcrest
