#include "resolution/elevated_undo_win.h"

#include <memory>
#include <optional>

#include "resolution/dns_baseline_file.h"
#include "resolution/hosts_file_access_win.h"
#include "resolution/system_resolution_reader_win.h"
#include "resolution/undo_actions_win.h"
#include "resolution/undo_executor.h"

namespace quillcrest {
namespace {

DnsBaselineReading NotUsable(const char* why) {
    DnsBaselineReading reading;
    reading.status = DnsBaselineStatus::Damaged;
    reading.damage = why;
    return reading;
}

DnsBaselineReading ReadBaselineFile(const std::string& folder) {
    // Never a file relative to the working directory, which whoever started the run chose.
    if (folder.empty())
        return NotUsable("the folder of the baseline is not known");
    const std::string path = DnsBaselinePath(folder);
    std::string text;
    bool tooLong = false;
    Win32HostsFileAccess files;
    const FileReadState state = files.ReadPieces(path, [&](std::string_view piece) {
        if (tooLong || text.size() + piece.size() > kLongestDnsBaselineText) {
            tooLong = true;
            return;
        }
        text.append(piece);
    });
    if (state == FileReadState::Missing)
        return ParseDnsBaseline(std::nullopt);
    if (state == FileReadState::Unreadable)
        return NotUsable("the file could not be read");
    if (tooLong)
        return NotUsable("the file is longer than any baseline");
    return ParseDnsBaseline(text);
}

}  // namespace

ElevatedUndo PrepareElevatedUndo(const std::string& baselineFolder) {
    ElevatedUndo undo;
    const DnsBaselineReading baseline = ReadBaselineFile(baselineFolder);
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
