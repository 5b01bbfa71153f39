#pragma once

#include <cstdint>
#include <string>

#include "elevation/file_security.h"

namespace quillcrest {

// Where a descriptor sits relative to the executable that would run with administrator rights.
enum class ProtectedRole {
    kProgramFile,    // the executable: replaced, it is what runs
    kProgramFolder,  // its folder: a DLL or a new executable put there runs too
    kFolderAbove,    // a folder above it: renamed, the path leads to a folder of someone else's making
};

// What keeps a descriptor from protecting its object; kNone when only the system, administrators and
// TrustedInstaller can change it.
enum class ProtectionProblem {
    kNone,
    kUnreadable,      // the descriptor could not be read
    kUnknownContent,  // an entry of a type not judged here, or something the reader could not represent
    kNoOwner,
    kUntrustedOwner,  // an owner may always rewrite the DACL
    kNullDacl,        // no DACL: everyone may do everything
    kUntrustedGrant,  // an entry lets another account change the object
};

// The SIDs whose rights are no risk: SYSTEM, Administrators and TrustedInstaller.
bool IsTrustedSid(const std::string& sid);

// The rights that let their holder change an object in the given role so that other code runs: writing,
// appending, deleting, deleting children and re-permissioning the executable and its folder; for a folder above,
// only what renames it (DELETE, or FILE_DELETE_CHILD on the folder above that one) or re-permissions it, since
// merely creating things there is harmless. Generic rights that include any of them count too.
std::uint32_t RightsThatChange(ProtectedRole role);

// Judges one descriptor: deny by default. Deny entries never grant; inherit-only entries grant nothing to the
// object itself.
ProtectionProblem FindProtectionProblem(const FileSecurity& security, ProtectedRole role);

}  // namespace quillcrest
