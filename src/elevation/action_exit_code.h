#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "netconfig/dns_change_outcome.h"
#include "netconfig/wmi_error_text.h"
#include "resolution/undo_preparation.h"

namespace quillcrest {

// The exit code of the elevated run carries its whole outcome back, since that run writes nothing else:
//   bits 24-30  what happened: 0 done; 1 done, restart needed; 2-101 adapters refused, the WMI return value
//               (101 any value above 100); 125 adapters refused because the method that changes them is not
//               available on this system; 126 adapters refused for different reasons; 127 an adapter's method
//               call failed; 110 an error (detail: its code); 111 the command line was refused; 112 the user
//               answered "No" in the run's own confirmation window; 113 "Undo" carried out; 114 "Undo" found
//               nothing to put back; 115 "Undo" found no baseline; 116 "Undo" found the baseline unusable.
//   bits 0-23   for refusals, one bit per assignment of the run that was refused (bit 0 the first); for an
//               error, a Win32 error code, or an HRESULT with its facility and code; for "Undo" carried out, its
//               outcome (UndoOutcomeCode, read back against the plan the caller made).
// Bit 31 stays clear, so that a run that crashed (an exception code) cannot pass for an answer.
constexpr std::uint32_t kActionExitDone = 0;
std::uint32_t ActionExitForRefusedCommandLine();
std::uint32_t ActionExitForDeclinedInWindow();
std::uint32_t ActionExitForDnsOutcome(const std::vector<DnsAssignment>& assignments, const DnsChangeOutcome& outcome);
// errorCode: a Win32 error code or an HRESULT.
std::uint32_t ActionExitForError(std::uint32_t errorCode);
// undoOutcomeCode: UndoOutcomeCode of the plan carried out.
std::uint32_t ActionExitForUndoOutcome(std::uint32_t undoOutcomeCode);
// An "Undo" that carried out nothing for this reason (any status but Ready).
std::uint32_t ActionExitForUndoNotReady(PreparedUndo::Status status);

// An exit code read back against the assignments the run was given.
struct ActionExit {
    enum class Kind { kDone, kRefusals, kError, kRefusedCommandLine, kDeclined, kUndone, kUndoNotReady, kUnknown };
    Kind kind = Kind::kUnknown;
    DnsChangeOutcome outcome;                                            // kDone and kRefusals
    std::uint32_t errorCode = 0;                                         // kError: the Win32 error code or HRESULT
    std::uint32_t undoOutcomeCode = 0;                                   // kUndone
    PreparedUndo::Status undoStatus = PreparedUndo::Status::NoBaseline;  // kUndoNotReady: never Ready
};
ActionExit ReadActionExit(std::uint32_t exitCode, const std::vector<DnsAssignment>& assignments = {});

// Raises what an exit code that is neither done, refusals nor an "Undo" answer means; returns for those. A change
// declined in the run's confirmation window raises EElevationDeclined, as a declined consent prompt does.
void RaiseUnlessAnswered(const ActionExit& exit, std::uint32_t exitCode, const SystemMessageLookup& systemMessage);

// The words for an error code carried back: an HRESULT as WMI failures are worded, a Win32 code by the system.
std::string ActionErrorText(std::uint32_t errorCode, const SystemMessageLookup& systemMessage);

}  // namespace quillcrest
