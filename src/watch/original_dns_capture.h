#pragma once

#include "netconfig/wmi_query.h"
#include "watch/interface_records.h"

namespace quillcrest {

// Records, for every adapter configuration WMI lists, whether it uses DHCP and the DNS servers it has, so the
// servers can be put back later. "Orig NameServers" and "OrigDNS" keep the first capture that found them absent
// or empty; "DHCPEnabled" follows every capture. Rows without a search order, and rows without an identifier,
// write nothing. A WMI failure ends the capture at that row without a message; what was written stays, and
// the query is closed on every path.
void SaveOrigDNSInfo(WmiQuery& query, InterfaceRecords& records);

}  // namespace quillcrest
