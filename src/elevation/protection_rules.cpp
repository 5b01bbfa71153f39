#include "elevation/protection_rules.h"

#include <array>

namespace quillcrest {
namespace {

constexpr std::array<const char*, 3> kTrustedSids = {
    "S-1-5-18",                                                        // SYSTEM
    "S-1-5-32-544",                                                    // Administrators
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",  // TrustedInstaller
};

constexpr std::uint32_t kGenericRightsThatChange = access::kGenericAll | access::kMaximumAllowed;

constexpr std::uint32_t kRightsThatReplace = access::kWriteData | access::kAppendData | access::kDelete |
                                             access::kDeleteChild | access::kWriteDac | access::kWriteOwner |
                                             access::kGenericWrite | kGenericRightsThatChange;

// GENERIC_WRITE is left out: on a file it maps to writing data, attributes and extended attributes, none of
// which renames.
constexpr std::uint32_t kRightsThatRename =
    access::kDelete | access::kDeleteChild | access::kWriteDac | access::kWriteOwner | kGenericRightsThatChange;

}  // namespace

bool IsTrustedSid(const std::string& sid) {
    for (const char* trusted : kTrustedSids) {
        if (sid == trusted)
            return true;
    }
    return false;
}

std::uint32_t RightsThatChange(ProtectedRole role) {
    return role == ProtectedRole::kFolderAbove ? kRightsThatRename : kRightsThatReplace;
}

ProtectionProblem FindProtectionProblem(const FileSecurity& security, ProtectedRole role) {
    if (!security.readable)
        return ProtectionProblem::kUnreadable;
    if (security.holdsUnknown)
        return ProtectionProblem::kUnknownContent;
    if (!security.owner)
        return ProtectionProblem::kNoOwner;
    if (!IsTrustedSid(*security.owner))
        return ProtectionProblem::kUntrustedOwner;
    if (!security.dacl)
        return ProtectionProblem::kNullDacl;
    const std::uint32_t rights = RightsThatChange(role);
    // Every entry is looked at: an unknown type anywhere is enough to refuse, wherever it stands.
    ProtectionProblem problem = ProtectionProblem::kNone;
    for (const AccessEntry& entry : *security.dacl) {
        if (entry.type != access::kAllowedEntry && entry.type != access::kDeniedEntry)
            return ProtectionProblem::kUnknownContent;
        if (entry.type == access::kDeniedEntry || (entry.flags & access::kInheritOnly) != 0)
            continue;
        if ((entry.mask & rights) != 0 && !IsTrustedSid(entry.sid))
            problem = ProtectionProblem::kUntrustedGrant;
    }
    return problem;
}

}  // namespace quillcrest
