#include "elevation/elevating_dns_undo.h"

#include "elevation/privileged_action.h"
#include "resolution/undo_executor.h"
#include "resolution/undo_outcome_code.h"
#include "resolution/undo_preparation.h"
#include "resolution/undo_report.h"

namespace quillcrest {

std::optional<std::string> ElevatingDnsUndo::Undo(const ResolutionSettings& baseline) {
    if (platform_.elevated.InProcess())
        return UndoInProcess(baseline);
    if (!platform_.elevated.ProgramProtected())
        return std::string(kUndoNeedsAdministratorText);
    return UndoInElevatedRun();
}

std::optional<std::string> ElevatingDnsUndo::UndoInProcess(const ResolutionSettings& baseline) {
    const PreparedUndo prepared =
        PrepareUndo(DnsBaselineReading{DnsBaselineStatus::Read, baseline, {}}, platform_.readSettings());
    if (prepared.status != PreparedUndo::Status::Ready)
        return UndoNotReadyText(prepared);
    if (!platform_.confirm(prepared.confirmationText))
        return std::nullopt;
    return UndoReportText(prepared.plan, CarryOutUndo(prepared.plan, platform_.actions));
}

std::string ElevatingDnsUndo::UndoInElevatedRun() {
    // What the run will find, so that nothing is started for nothing and its answer can be read.
    const PreparedUndo prepared = PrepareUndo(platform_.readStoredBaseline(), platform_.readSettings());
    if (prepared.status != PreparedUndo::Status::Ready)
        return UndoNotReadyText(prepared);
    const ActionExit exit = platform_.elevated.RunForAnswer({PrivilegedActionKind::kUndoDnsChanges, {}, {}});
    if (exit.kind == ActionExit::Kind::kUndoNotReady) {
        // The run read the file or the settings otherwise than this process did a moment before.
        PreparedUndo asRunFoundIt;
        asRunFoundIt.status = exit.undoStatus;
        asRunFoundIt.problem = "it changed while Quillcrest was reading it";
        return UndoNotReadyText(asRunFoundIt);
    }
    const std::optional<UndoOutcome> outcome = ReadUndoOutcomeCode(exit.undoOutcomeCode, prepared.plan);
    if (!outcome)
        return kUndoOutcomeUnknownText;
    return UndoReportText(prepared.plan, *outcome);
}

}  // namespace quillcrest
