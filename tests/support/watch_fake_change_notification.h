#pragma once

#include "watch/dns_change_notification.h"

namespace quillcrest::fakes {

// The change notification as plain state: whether the watch asked it to watch. The test delivers the signals.
class FakeDnsChangeNotification : public DnsChangeNotification {
  public:
    bool watching = false;
    void SetWatching(bool on) override { watching = on; }
};

}  // namespace quillcrest::fakes
