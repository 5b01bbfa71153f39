#pragma once

#include <string>

#include "resolution/dns_baseline_file.h"
#include "resolution/resolution_settings.h"
#include "resolution/undo_plan.h"

namespace quillcrest {

// Everything an "Undo" needs before it asks: the plan from the baseline and the settings read now, and the
// question that names it.
struct PreparedUndo {
    enum class Status {
        // plan has items to carry out; confirmationText asks about them.
        Ready,
        // No item to carry out: no difference, or every one left alone (plan.leftAlone says why;
        // UndoReportText(plan, {}) tells the user).
        NothingToPutBack,
        // There is no baseline file: there is nothing to put back to.
        NoBaseline,
        // The baseline file is damaged or could not be read; problem says how. Nothing is put back from it.
        BaselineNotUsable,
    };
    Status status = Status::NoBaseline;
    UndoPlan plan;
    std::string confirmationText;
    std::string problem;
};

PreparedUndo PrepareUndo(const DnsBaselineReading& baseline, const ResolutionSettings& current);

}  // namespace quillcrest
