#pragma once

#include <vector>

#include "settings/registry_change_notification_win.h"

namespace quillcrest {

// Where Windows keeps every adapter's DNS servers, static ("NameServer") or from DHCP ("DhcpNameServer"): the
// adapters' keys under Tcpip\Parameters\Interfaces, and under Tcpip6 for IPv6. A machine may lack an Interfaces
// key (Wine has none until a program makes one); its Parameters key is then watched instead, which also sees the
// Interfaces key appear.
std::vector<WatchedRegistryKey> DnsSettingsKeys();

}  // namespace quillcrest
