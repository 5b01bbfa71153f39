#pragma once

#include <string>

#include "resolution/undo_outcome.h"
#include "resolution/undo_plan.h"

namespace quillcrest {

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

}  // namespace quillcrest
