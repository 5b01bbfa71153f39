#pragma once

#include <cstdint>
#include <optional>

#include "resolution/undo_outcome.h"
#include "resolution/undo_plan.h"

namespace quillcrest {

// The outcome of an "Undo" in 24 bits, so that an elevated run, which writes nothing else, carries it back in
// the detail bits (0-23) of its exit code; the kind bits above them are the caller's. Both sides make the same
// plan (from the same baseline file and the settings then), and the number is read back against the plan the
// reading side holds:
//   bits 0-11   one bit per item of the plan that was refused (bit 0 the first); kMostUndoItems items at most,
//               which is why one "Undo" carries out no more.
//   bits 12-13  why the refused IPv6 server items were refused: 1 FunctionMissing, 2 AccessDenied, 3 Failed.
//   bits 14-15  why the refused registry items were refused: 1 AccessDenied, 2 Failed.
//   bits 16-18  why the hosts file item was refused: 1 FileInUse, 2 AccessDenied, 3 NotTheHostsFileInUse,
//               4 LocationNotPutBack, 5 SecurityNotKept, 6 Failed.
//   bits 19-23  a digest of the plan's items, so that an outcome is never read against another plan.
// Each group's reason is 0 exactly when none of its items was refused. Items of one group refused for different
// reasons carry Failed, which reads back as "Windows refused it"; error codes are not carried.
constexpr unsigned kUndoOutcomeCodeBits = 24;

std::uint32_t UndoOutcomeCode(const UndoPlan& plan, const UndoOutcome& outcome);

// The outcome a number carries for plan; nullopt when it cannot be one of its outcomes (another plan's digest, a
// bit beyond its items, a reason without a refused item or a refused item without one, a value no outcome has).
std::optional<UndoOutcome> ReadUndoOutcomeCode(std::uint32_t code, const UndoPlan& plan);

}  // namespace quillcrest
