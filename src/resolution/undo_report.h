#pragma once

#include <string>

#include "resolution/undo_outcome.h"
#include "resolution/undo_plan.h"
#include "resolution/undo_preparation.h"

namespace quillcrest {

// The caption of the window that shows the outcome of an "Undo".
inline constexpr char kUndoReportCaption[] = "Quillcrest: Undo";

// The outcome of an "Undo" for a person: what was put back (or "Nothing was put back."), then every setting that
// was not, each with its reason and, where the user can act, what to do; the differences the plan left alone are
// among them. Nothing is named as put back that was not. Then, when some items were done and others refused,
// that what was put back stays; and when the plan held settings of group policy, that a policy of the
// organisation may write them again. outcome holds one entry per item of plan. For example:
//   Put back:
//   name resolution rule ".corp.example" ("local rules"): deleted
//
//   Not put back:
//   hosts file ("C:\Windows\System32\drivers\etc\hosts"): not written: another program holds the file open, so
//   it was left as it was.
//
//   What was put back stays as it is now.
std::string UndoReportText(const UndoPlan& plan, const UndoOutcome& outcome);

// The report of an "Undo" that carried out nothing, for a prepared one that is not Ready: no baseline, a baseline
// that cannot be used (naming its problem), nothing left that differs, or only differences it leaves alone (then
// the report of the plan with nothing done, which names each with its reason).
std::string UndoNotReadyText(const PreparedUndo& prepared);

// The report when the run that carried out "Undo" answered for another plan than the one this process made: the
// settings changed in between, so which items it carried out cannot be told, and none is named as put back.
inline constexpr char kUndoOutcomeUnknownText[] =
    "The DNS settings changed while Quillcrest was putting them back, so it cannot tell which of them were put back. "
    "The next check lists every setting that still differs from the baseline.";

}  // namespace quillcrest
