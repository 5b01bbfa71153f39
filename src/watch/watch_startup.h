#pragma once

#include "netconfig/wmi_query.h"
#include "watch/interface_records.h"
#include "watch/reference_lists.h"
#include "watch/watch_dialogs.h"
#include "watch/watch_network.h"

namespace quillcrest {

// The watch's steps at start: name the preferred adapter, take the current list as the recent reference and
// record it as "Startup NameServers", load "Default NameServers" as the default reference, and when that is
// absent or empty store the current list there and capture every interface's servers (SaveOrigDNSInfo).
//
// Nothing that fails here stops the start, so the references exist before the first check:
// - a failure to name the preferred adapter is shown and the watch goes on without one (adapterGuid "");
// - a current list that cannot be read is never recorded, nor stored as the default: the reference stays
//   unknown until a check reads one. The capture runs all the same, because a later restore relies on it.
ReferenceLists StartWatch(WmiQuery& query, WatchNetwork& network, InterfaceRecords& records, WatchDialogs& dialogs);

}  // namespace quillcrest
