#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/exception.h"
#include "elevation/file_security.h"
#include "elevation/protection_rules.h"

namespace quillcrest {

// Whether the executable that would be started with administrator rights is safe to start so.
struct ProtectionVerdict {
    bool isProtected = false;
    // When not protected: why, as words that complete "... and " in the message to the user.
    std::string reason;
};

// The program is started with administrator rights ("runas") only when no program without them can change the
// executable or its folder: otherwise any program of the user could replace it, or put a DLL beside it, and the
// consent prompt would name Quillcrest while running that code.
class ProgramProtection {
  public:
    virtual ~ProgramProtection() = default;
    // Asked afresh before every elevated run: a folder's permissions may change while the program runs.
    virtual ProtectionVerdict Check() = 0;
};

// What the user is told when a change was not made because the program is not protected.
std::string UnprotectedProgramMessage(const std::string& reason);

// A change that needs administrator rights was not asked for, because the program is not protected. Nothing was
// started and nothing changed.
class EProgramUnprotected : public Exception {
  public:
    explicit EProgramUnprotected(const std::string& reason) : Exception(UnprotectedProgramMessage(reason)) {}
};

// One object whose descriptor decides, and its role.
struct ProtectedPath {
    std::wstring path;
    ProtectedRole role;

    bool operator==(const ProtectedPath& other) const { return path == other.path && role == other.role; }
};

// The objects whose descriptors decide for an executable's full path: its folder, the executable, then every
// folder above up to the volume's root (kept with its separator, "C:\"). Paths on a drive ("C:\..."), on a share
// ("\\server\share\...") and both in their long forms ("\\?\C:\...", "\\?\UNC\server\share\...") are taken;
// any other form (relative, "." or ".." parts, empty parts, "/" or ":" within) gives none, and so is never
// protected.
std::vector<ProtectedPath> PathsThatProtect(const std::wstring& executable);

// Reads one object's descriptor; says in the answer when it could not.
using SecurityReader = std::function<FileSecurity(const std::wstring& path)>;
// A path as the user reads it in a message.
using ShownPath = std::function<std::string(const std::wstring& path)>;

// Judges the executable at its full path by the descriptors read. The first object found wanting names the
// reason; the folder comes first, as it is what an installation chooses.
ProtectionVerdict JudgeProgramProtection(const std::wstring& executable,
                                         const SecurityReader& read,
                                         const ShownPath& shown);

}  // namespace quillcrest
