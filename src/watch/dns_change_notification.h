#pragma once

namespace quillcrest {

// Tells the watch, as they happen, that the machine's DNS server settings may have changed. Each signal reaches
// the watch on the user-interface thread (DnsWatch::OnDnsSettingsSignalled); several writes may come as one signal
// or as many, and a signal may come for a value that has nothing to do with DNS servers.
class DnsChangeNotification {
  public:
    virtual ~DnsChangeNotification() = default;

    // Starts or stops watching; either is a no-op when already so. Where the platform cannot watch, starting
    // does nothing and says nothing: the timers then notice every change on their own.
    virtual void SetWatching(bool on) = 0;
};

}  // namespace quillcrest
