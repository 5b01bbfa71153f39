#pragma once

#include "resolution/undo_actions.h"
#include "resolution/undo_outcome.h"
#include "resolution/undo_plan.h"

namespace quillcrest {

// Carries out the plan one item at a time, in its order, each with its own outcome; a refused item stops nothing
// but itself, and what was done stays done (nothing is taken back). An item is done only when every step of it
// was: a key whose values were put back only in part counts as refused, with the reason of the step that failed.
//
// The hosts file is written only to the path the registry names at that moment ("DataBasePath" + "\hosts"), and
// only when that is the baseline's path: a hosts file elsewhere is not the one Windows reads, and writing it
// would change nothing but a file. Where the location itself differs, the plan puts "DataBasePath" back first
// (the hosts file is its last item), so the path is the baseline's again by the time the file is written; where
// putting the location back was refused, the file is not written (LocationNotPutBack).
//
// Everything written comes from the plan, and so from the baseline it was made of; nothing is read from anywhere
// else but the registry's hosts file location, which only decides whether the file is written.
UndoOutcome CarryOutUndo(const UndoPlan& plan, UndoActions& actions);

}  // namespace quillcrest
