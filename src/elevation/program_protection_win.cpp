#include "elevation/program_protection_win.h"

#include "base/ansi_text_win.h"
#include "elevation/file_security_win.h"

namespace quillcrest {

ProtectionVerdict SystemProgramProtection::Check() {
    return JudgeProgramProtection(executable_, ReadFileSecurity,
                                  [](const std::wstring& path) { return AnsiFromWide(path.c_str(), path.size()); });
}

}  // namespace quillcrest
