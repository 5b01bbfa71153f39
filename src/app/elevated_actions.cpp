#include "app/elevated_actions.h"

#include <utility>

#include "app/action_exit_code.h"

namespace quillcrest {

ElevatedActions::ElevatedActions(ProcessElevation& elevation,
                                 ActionLauncher& launcher,
                                 SystemMessageLookup systemMessage)
    : elevation_(elevation), launcher_(launcher), systemMessage_(std::move(systemMessage)) {}

DnsChangeOutcome ElevatedActions::Run(const PrivilegedAction& action) {
    const std::uint32_t exitCode = launcher_.RunElevated(FormatActionArguments(action));
    const ActionExit exit = ReadActionExit(exitCode, action.assignments);
    RaiseUnlessAnswered(exit, exitCode, systemMessage_);
    return exit.outcome;
}

}  // namespace quillcrest
