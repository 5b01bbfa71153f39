#pragma once

#include <string>

namespace quillcrest {

// Tells the watch, as it happens, that something in the hosts file's folder changed: a rewrite of the file within
// the file system's time granularity keeps its size and time, and only the folder's notification tells of it. Each
// signal reaches the watch like one of the registry notification (DnsWatch::OnDnsSettingsSignalled), and the next
// read takes the file afresh.
class HostsFolderWatch {
  public:
    virtual ~HostsFolderWatch() = default;

    // Watches folder (WTF-8), in place of any folder watched before. Where the folder cannot be watched (it does not
    // exist), nothing is watched and nothing is said: the timers notice every change on their own.
    virtual void Watch(const std::string& folder) = 0;
    // Watches nothing; a no-op when nothing is watched.
    virtual void Stop() = 0;
};

}  // namespace quillcrest
