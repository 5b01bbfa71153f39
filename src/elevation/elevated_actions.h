#pragma once

#include "elevation/action_exit_code.h"
#include "elevation/action_launcher.h"
#include "elevation/privileged_action.h"
#include "elevation/program_protection.h"
#include "netconfig/dns_change_outcome.h"
#include "netconfig/wmi_error_text.h"

namespace quillcrest {

// Changes that need administrator rights, as the window asks for them: whether the process must ask, and one
// elevated run of the program per action when it must and may.
class ElevatedActions {
  public:
    ElevatedActions(ProcessElevation& elevation,
                    ProgramProtection& protection,
                    ActionLauncher& launcher,
                    SystemMessageLookup systemMessage);

    // True when changes can be made in this process.
    bool InProcess() { return elevation_.IsElevated(); }
    // True when an elevated run may be started now: only the system, administrators and TrustedInstaller can
    // change the executable and its folder.
    bool ProgramProtected() { return protection_.Check().isProtected; }
    // Runs the action in an elevated copy of the program and answers its outcome (refused adapters included).
    // Checks the program's protection first, every time: raises EProgramUnprotected without starting anything
    // when it is not protected. Raises EElevationDeclined when the user declined, and an Exception for a run that
    // failed or ended in a way no finished run ends.
    DnsChangeOutcome Run(const PrivilegedAction& action);
    // The same for an action whose answer is more than a DNS change's outcome ("Undo"): the run's exit code read
    // back, which is one the run answers with (raises as Run does for any other).
    ActionExit RunForAnswer(const PrivilegedAction& action);

  private:
    ProcessElevation& elevation_;
    ProgramProtection& protection_;
    ActionLauncher& launcher_;
    SystemMessageLookup systemMessage_;
};

}  // namespace quillcrest
