#include "resolution/undo_preparation.h"

#include "resolution/resolution_comparison.h"
#include "resolution/undo_confirmation.h"

namespace quillcrest {

PreparedUndo PrepareUndo(const DnsBaselineReading& baseline, const ResolutionSettings& current) {
    PreparedUndo prepared;
    switch (baseline.status) {
        case DnsBaselineStatus::NoBaseline:
            prepared.status = PreparedUndo::Status::NoBaseline;
            return prepared;
        case DnsBaselineStatus::Damaged:
            prepared.status = PreparedUndo::Status::BaselineNotUsable;
            prepared.problem = baseline.damage;
            return prepared;
        case DnsBaselineStatus::Read:
            break;
    }
    prepared.plan = MakeUndoPlan(baseline.settings, current, CompareResolutionSettings(baseline.settings, current));
    if (prepared.plan.items.empty()) {
        prepared.status = PreparedUndo::Status::NothingToPutBack;
        return prepared;
    }
    prepared.status = PreparedUndo::Status::Ready;
    prepared.confirmationText = UndoConfirmationText(prepared.plan);
    return prepared;
}

}  // namespace quillcrest
