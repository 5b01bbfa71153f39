#include "elevation/file_security_win.h"

#include <aclapi.h>
#include <sddl.h>

#include <optional>

#include "base/win_handles_win.h"

namespace quillcrest {
namespace {

// A SID's "S-1-..." text, which is ASCII throughout; nullopt when the system cannot give it.
std::optional<std::string> SidText(PSID sid) {
    UniqueLocal text;
    if (!::IsValidSid(sid) || !::ConvertSidToStringSidW(sid, reinterpret_cast<LPWSTR*>(text.put())))
        return std::nullopt;
    const std::wstring wide(static_cast<const wchar_t*>(text.get()));
    std::string ascii;
    for (const wchar_t c : wide) {
        if (c < 0x20 || c > 0x7E)
            return std::nullopt;
        ascii += static_cast<char>(c);
    }
    return ascii;
}

// Allowed and denied entries share one layout: the header, the mask, the SID. Every entry type starts with the
// header and the mask.
AccessEntry EntryOf(const void* ace, bool& unreadable) {
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    const auto* basic = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
    AccessEntry entry{header->AceType, header->AceFlags, basic->Mask, ""};
    if (header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE) {
        const std::optional<std::string> sid = SidText(const_cast<DWORD*>(&basic->SidStart));
        if (sid)
            entry.sid = *sid;
        else
            unreadable = true;
    }
    return entry;
}

}  // namespace

FileSecurity FileSecurityOf(PSECURITY_DESCRIPTOR descriptor) {
    FileSecurity security;
    PSID owner = nullptr;
    BOOL ownerDefaulted = FALSE;
    BOOL daclPresent = FALSE;
    PACL dacl = nullptr;
    BOOL daclDefaulted = FALSE;
    if (!descriptor || !::IsValidSecurityDescriptor(descriptor) ||
        !::GetSecurityDescriptorOwner(descriptor, &owner, &ownerDefaulted) ||
        !::GetSecurityDescriptorDacl(descriptor, &daclPresent, &dacl, &daclDefaulted))
        return security;
    security.readable = true;
    if (owner) {
        security.owner = SidText(owner);
        security.holdsUnknown = !security.owner;
    }
    // No DACL at all, present or not, is the null DACL.
    if (!daclPresent || !dacl)
        return security;
    security.dacl.emplace();
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        void* ace = nullptr;
        if (!::GetAce(dacl, index, &ace)) {
            security.holdsUnknown = true;
            continue;
        }
        bool unreadable = false;
        security.dacl->push_back(EntryOf(ace, unreadable));
        security.holdsUnknown = security.holdsUnknown || unreadable;
    }
    return security;
}

FileSecurity ReadFileSecurity(const std::wstring& path) {
    UniqueLocal descriptor;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    const DWORD status =
        ::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                &owner, nullptr, &dacl, nullptr, descriptor.put());
    if (status != ERROR_SUCCESS)
        return FileSecurity{};
    return FileSecurityOf(descriptor.get());
}

}  // namespace quillcrest
