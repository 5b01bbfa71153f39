#include "watch/dns_baseline_storage.h"

#include "watch/file_replacement.h"

namespace quillcrest {

DnsBaselineReading ReadStoredDnsBaseline(FileSystem& files, const std::string& path) {
    std::string readFrom = path;
    try {
        RecoverInterruptedReplacement(files, path);
    } catch (const EFileError&) {
        // A temporary file without the baseline beside it is the whole new baseline; only the rename was missing.
        readFrom = ReplacementFileName(path);
    }
    try {
        return ParseDnsBaseline(files.ReadWhole(readFrom));
    } catch (const EFileError& error) {
        DnsBaselineReading unreadable;
        unreadable.status = DnsBaselineStatus::Damaged;
        unreadable.damage = error.what();
        return unreadable;
    }
}

void SetDamagedDnsBaselineAside(FileSystem& files, const std::string& path) {
    files.MoveReplacing(path, path + kDamagedDnsBaselineSuffix);
}

void StoreDnsBaseline(FileSystem& files, const std::string& path, const ResolutionSettings& settings) {
    ReplaceFileContents(files, path, SerializeDnsBaseline(settings));
}

bool KeepDnsBaselineIfConfirmed(FileSystem& files,
                                const std::string& path,
                                const ResolutionSettings& current,
                                const DnsBaselineReplacementQuestion& ask) {
    const DnsBaselineReading stored = ReadStoredDnsBaseline(files, path);
    if (stored.status == DnsBaselineStatus::Read) {
        const std::vector<ResolutionDifference> differences = CompareResolutionSettings(stored.settings, current);
        if (!differences.empty() && !ask(differences))
            return false;
    } else if (stored.status == DnsBaselineStatus::Damaged && files.Exists(path)) {
        SetDamagedDnsBaselineAside(files, path);
    }
    StoreDnsBaseline(files, path, current);
    return true;
}

}  // namespace quillcrest
