#pragma once

#include <optional>

#include "elevation/action_launcher.h"

namespace quillcrest {

// The process token's elevation, read once: it cannot change while the process runs. A system that cannot say
// (no TokenElevation before Vista) has no split token, so the process counts as elevated and changes in-process.
class SystemProcessElevation : public ProcessElevation {
  public:
    bool IsElevated() override;

  private:
    std::optional<bool> elevated_;
};

}  // namespace quillcrest
