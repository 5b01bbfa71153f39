#pragma once

#include "netconfig/dns_change_outcome.h"
#include "watch/watch_dialogs.h"

namespace quillcrest {

inline constexpr char kRestartNeededNotice[] =
    "The DNS servers were changed. Windows must restart before the new servers are used.";

// The end of an action that changed DNS servers: when adapters refused, raises EDnsChangeRefused naming each of
// them, so that the action stops as after any error and the general error report shows it once; otherwise, when
// an adapter needs a restart of Windows, says so once.
void SettleDnsChange(const DnsChangeOutcome& outcome, WatchDialogs& dialogs);

}  // namespace quillcrest
