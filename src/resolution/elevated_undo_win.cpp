#include "resolution/elevated_undo_win.h"

#include <memory>

#include "resolution/system_resolution_reader_win.h"
#include "resolution/undo_actions_win.h"
#include "resolution/undo_executor.h"

namespace quillcrest {

ElevatedUndo PrepareElevatedUndo(const DnsBaselineReading& baseline) {
    ElevatedUndo undo;
    ResolutionSettings current;
    if (baseline.status == DnsBaselineStatus::Read)
        current = SystemResolutionReader().ReadAll();
    undo.prepared = PrepareUndo(baseline, current);
    if (undo.prepared.status == PreparedUndo::Status::Ready) {
        auto plan = std::make_shared<const UndoPlan>(undo.prepared.plan);
        undo.carryOut = [plan] {
            Win32UndoActions actions;
            return CarryOutUndo(*plan, actions);
        };
    }
    return undo;
}

}  // namespace quillcrest
