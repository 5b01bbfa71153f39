#include "elevation/elevated_actions.h"

#include <utility>

#include "base/exception.h"
#include "elevation/action_exit_code.h"

namespace quillcrest {

ElevatedActions::ElevatedActions(ProcessElevation& elevation,
                                 ProgramProtection& protection,
                                 ActionLauncher& launcher,
                                 SystemMessageLookup systemMessage)
    : elevation_(elevation), protection_(protection), launcher_(launcher), systemMessage_(std::move(systemMessage)) {}

DnsChangeOutcome ElevatedActions::Run(const PrivilegedAction& action) {
    return RunForAnswer(action).outcome;
}

ActionExit ElevatedActions::RunForAnswer(const PrivilegedAction& action) {
    // Right before the start, so that what is judged is what would run.
    const ProtectionVerdict verdict = protection_.Check();
    if (!verdict.isProtected)
        throw EProgramUnprotected(verdict.reason);
    const std::uint32_t exitCode = launcher_.RunElevated(FormatActionArguments(action));
    const ActionExit exit = ReadActionExit(exitCode, action.assignments);
    RaiseUnlessAnswered(exit, exitCode, systemMessage_);
    // Only "Undo" answers with its outcome, and it answers with nothing else: any other answer is not this run's.
    const bool undoAnswer = exit.kind == ActionExit::Kind::kUndone || exit.kind == ActionExit::Kind::kUndoNotReady;
    if (undoAnswer != (action.kind == PrivilegedActionKind::kUndoDnsChanges))
        throw Exception("The change with administrator rights ended unexpectedly (exit code " + HexCode(exitCode) +
                        ")");
    return exit;
}

}  // namespace quillcrest
