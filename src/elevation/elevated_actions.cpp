#include "elevation/elevated_actions.h"

#include <utility>

#include "elevation/action_exit_code.h"

namespace quillcrest {

ElevatedActions::ElevatedActions(ProcessElevation& elevation,
                                 ProgramProtection& protection,
                                 ActionLauncher& launcher,
                                 SystemMessageLookup systemMessage)
    : elevation_(elevation), protection_(protection), launcher_(launcher), systemMessage_(std::move(systemMessage)) {}

DnsChangeOutcome ElevatedActions::Run(const PrivilegedAction& action) {
    // Right before the start, so that what is judged is what would run.
    const ProtectionVerdict verdict = protection_.Check();
    if (!verdict.isProtected)
        throw EProgramUnprotected(verdict.reason);
    const std::uint32_t exitCode = launcher_.RunElevated(FormatActionArguments(action));
    const ActionExit exit = ReadActionExit(exitCode, action.assignments);
    RaiseUnlessAnswered(exit, exitCode, systemMessage_);
    return exit.outcome;
}

}  // namespace quillcrest
