#pragma once

#include <functional>
#include <string>
#include <vector>

#include "resolution/dns_baseline_file.h"
#include "resolution/resolution_comparison.h"
#include "watch/file_system.h"

namespace quillcrest {

// The DNS baseline's file as the program keeps it (its text form: resolution/dns_baseline_file.h), written with
// the program's safe replacement, so that a process killed at any moment leaves the old baseline or the new one.

// The baseline stored at path. A replacement that a dead process left half done is finished first; where only
// an administrator could finish it (a protected folder, this process without their rights), its complete new
// file stands for the baseline. A file that is there but cannot be read reads as Damaged, the reason being the
// system's.
DnsBaselineReading ReadStoredDnsBaseline(FileSystem& files, const std::string& path);

// Moves a damaged baseline file to its name with kDamagedDnsBaselineSuffix added (replacing one already there),
// so it can still be looked at. Raises EFileError.
void SetDamagedDnsBaselineAside(FileSystem& files, const std::string& path);

// Makes the file at path hold settings as the baseline. Raises EFileError, leaving the file as it was.
void StoreDnsBaseline(FileSystem& files, const std::string& path, const ResolutionSettings& settings);

// Asked before a stored baseline is replaced by settings that differ from it; true to go on.
using DnsBaselineReplacementQuestion = std::function<bool(const std::vector<ResolutionDifference>& differences)>;

// "Keep" as the elevated run of the program carries it out: current (which that run read itself) becomes the
// baseline at path. Where a stored baseline differs from current, ask is shown the differences first, and
// false from it leaves everything as it was (returns false). A program of the user could start that run right
// after redirecting the PC, to have the change blessed; the question shows what would be blessed. No stored
// baseline, or one that does not differ, needs no question; a damaged one is set aside first. Raises
// EFileError.
bool KeepDnsBaselineIfConfirmed(FileSystem& files,
                                const std::string& path,
                                const ResolutionSettings& current,
                                const DnsBaselineReplacementQuestion& ask);

}  // namespace quillcrest
