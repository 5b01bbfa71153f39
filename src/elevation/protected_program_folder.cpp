#include "elevation/protected_program_folder.h"

#include "settings/exe_dir.h"

namespace quillcrest {

std::string ProtectedProgramFolder(const std::string& programPath, ProgramProtection& protection) {
    const std::string folder = ExeDirOf(programPath);
    if (folder.empty())
        throw EProgramUnprotected("the path of its program file could not be read");
    const ProtectionVerdict verdict = protection.Check();
    if (!verdict.isProtected)
        throw EProgramUnprotected(verdict.reason);
    return folder;
}

}  // namespace quillcrest
