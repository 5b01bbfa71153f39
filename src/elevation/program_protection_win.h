#pragma once

#include <string>

#include "elevation/program_protection.h"

namespace quillcrest {

// The executable's protection judged from the descriptors on disk, read afresh at every check.
class SystemProgramProtection : public ProgramProtection {
  public:
    // executable: the full path of the executable that the elevated run starts.
    explicit SystemProgramProtection(std::wstring executable) : executable_(std::move(executable)) {}
    ProtectionVerdict Check() override;

  private:
    std::wstring executable_;
};

}  // namespace quillcrest
