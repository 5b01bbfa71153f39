#pragma once

#include <cstdint>
#include <string>

#include "base/exception.h"

namespace quillcrest {

inline constexpr char kElevationDeclinedMessage[] =
    "The change was not made, because administrator approval was declined";

// The user answered the consent prompt with "No": nothing was changed.
class EElevationDeclined : public Exception {
  public:
    EElevationDeclined() : Exception(kElevationDeclinedMessage) {}
};

// Whether this process already has administrator rights in full (elevated), so that changes are made in-process.
class ProcessElevation {
  public:
    virtual ~ProcessElevation() = default;
    virtual bool IsElevated() = 0;
};

// Starts this program's own executable with administrator rights ("runas") and the argument text of one action,
// waits for it to end and answers its exit code. Raises EElevationDeclined when the user declined, and an
// Exception with the system's reason when the run could not be started or waited for.
class ActionLauncher {
  public:
    virtual ~ActionLauncher() = default;
    virtual std::uint32_t RunElevated(const std::string& arguments) = 0;
};

}  // namespace quillcrest
