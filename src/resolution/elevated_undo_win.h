#pragma once

#include <functional>
#include <string>

#include "resolution/dns_baseline_file.h"
#include "resolution/undo_outcome.h"
#include "resolution/undo_preparation.h"

namespace quillcrest {

// The one call of the run that puts settings back with administrator rights:
//   ElevatedUndo undo = PrepareElevatedUndo(<the baseline file beside the program, in its protected folder>);
//   switch (undo.prepared.status) {
//       case PreparedUndo::Status::Ready: break;
//       default: ... exit with a code that says which (nothing is changed) ...
//   }
//   if (!AskInConfirmationBox(undo.prepared.confirmationText, kUndoConfirmationCaption)) ... declined ...
//   const UndoOutcome outcome = undo.carryOut();
//   exit code: a kind of the caller's own in bits 24-30, UndoOutcomeCode(undo.prepared.plan, outcome) below it.
// The side that started the run makes the same plan with PrepareUndo from the same baseline file and its own
// reading just before, reads the number back with ReadUndoOutcomeCode against that plan, and shows
// UndoReportText. A program that runs elevated itself calls the same and shows the report at once.
//
// The caller reads the baseline from the program's own folder only (DnsBaselinePath), never from a path given on
// a command line, and only once it knows that folder to be one only administrators can change. Everything written
// comes from that reading: the settings read now only decide what differs.
struct ElevatedUndo {
    PreparedUndo prepared;
    // Set when prepared.status is Ready: carries out prepared.plan on this Windows (undo_executor.h) and
    // answers one outcome per item.
    std::function<UndoOutcome()> carryOut;
};

ElevatedUndo PrepareElevatedUndo(const DnsBaselineReading& baseline);

}  // namespace quillcrest
