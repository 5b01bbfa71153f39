#pragma once

#include <optional>
#include <string>

#include "resolution/resolution_settings.h"

namespace quillcrest {

// Who carries out "Undo" of the wider check's alert: it puts the baseline back for every difference the alert
// lists, as one action with one question and one report. It needs administrator rights: a process that has them
// asks and carries it out itself; otherwise one elevated run of the program does both, taking what to put back
// from the baseline file in the protected installation, never from this process.
class DnsUndoRoute {
  public:
    virtual ~DnsUndoRoute() = default;

    // baseline: what the check compares with in this process. Returns the outcome report to show; nullopt when
    // the user answered "No" to this process's own question (nothing was changed). Raises EElevationDeclined when
    // the consent prompt or the elevated run's own question was answered "No", and an Exception with the reason
    // when the elevated run could not be started or failed; nothing is reported as put back then.
    virtual std::optional<std::string> Undo(const ResolutionSettings& baseline) = 0;
};

}  // namespace quillcrest
