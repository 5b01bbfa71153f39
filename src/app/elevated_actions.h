#pragma once

#include "app/action_launcher.h"
#include "app/privileged_action.h"
#include "netconfig/dns_change_outcome.h"
#include "netconfig/wmi_error_text.h"

namespace quillcrest {

// Changes that need administrator rights, as the window asks for them: whether the process must ask, and one
// elevated run of the program per action when it must.
class ElevatedActions {
  public:
    ElevatedActions(ProcessElevation& elevation, ActionLauncher& launcher, SystemMessageLookup systemMessage);

    // True when changes can be made in this process.
    bool InProcess() { return elevation_.IsElevated(); }
    // Runs the action in an elevated copy of the program and answers its outcome (refused adapters included).
    // Raises EElevationDeclined when the user declined, and an Exception for a run that failed or ended in a way
    // no finished run ends.
    DnsChangeOutcome Run(const PrivilegedAction& action);

  private:
    ProcessElevation& elevation_;
    ActionLauncher& launcher_;
    SystemMessageLookup systemMessage_;
};

}  // namespace quillcrest
