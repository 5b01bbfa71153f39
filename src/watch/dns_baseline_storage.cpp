#include "watch/dns_baseline_storage.h"

#include "watch/file_replacement.h"

namespace quillcrest {

DnsBaselineReading ReadStoredDnsBaseline(FileSystem& files, const std::string& path) {
    std::string readFrom = path;
    try {
        // The format's last record tells a whole file from one cut short.
        RecoverInterruptedReplacement(files, path, [](const std::string& contents) {
            return ParseDnsBaseline(contents).status == DnsBaselineStatus::Read;
        });
    } catch (const EFileError&) {
        // Only an administrator could finish it: a whole temporary file is the new baseline, its rename was missing.
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
