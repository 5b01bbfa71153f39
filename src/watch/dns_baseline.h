#pragma once

#include <optional>
#include <string>

#include "resolution/resolution_settings.h"
#include "watch/dns_baseline_save_route.h"
#include "watch/file_system.h"

namespace quillcrest {

// The DNS settings the wider check compares with for this run (its baseline), and their file "DNSBaseline.txt"
// beside "AllowedDNS.txt". Where the save route says this process may not write there (an installation for all
// users, the program without administrator rights), the file is only read, and "Keep" goes through the route.
class DnsBaseline {
  public:
    // folder: the folder of "AllowedDNS.txt", with its trailing separator.
    DnsBaseline(FileSystem& files, const std::string& folder, DnsBaselineSaveRoute& saveRoute);

    const std::string& path() const { return path_; }
    // What the check compares with.
    const ResolutionSettings& settings() const { return settings_; }
    // Whether settings() is what the file holds (false: only this run knows them).
    bool stored() const { return stored_; }

    // At start, with the settings read then. The stored baseline is taken when it reads whole. Otherwise current
    // becomes the baseline, silently when there was none, and is stored where this process may write; where it
    // may not, the run compares with current, in memory. A damaged or unreadable file is set aside as
    // "DNSBaseline.txt.damaged" where this process may write, and left in place where it may not. Returns what the
    // user must be told, once: a baseline that could not be used, or a baseline that could not be saved.
    std::optional<std::string> Load(const ResolutionSettings& current);

    // "Keep": current becomes the baseline at once, for this run whatever becomes of the save, and is saved: by
    // this process, or by the run the save route starts, which reads the settings itself and whose file then
    // counts. Raises with the reason when it was not saved.
    void Keep(const ResolutionSettings& current);

  private:
    FileSystem& files_;
    std::string path_;
    DnsBaselineSaveRoute& saveRoute_;
    ResolutionSettings settings_;
    bool stored_ = false;
    // A damaged file is still at path_: a save made here sets it aside first.
    bool damagedFileInPlace_ = false;
};

}  // namespace quillcrest
