#pragma once

#include "netconfig/dns_change_outcome.h"
#include "netconfig/wmi_query.h"
#include "watch/interface_records.h"
#include "watch/watch_network.h"

namespace quillcrest {

// Changes to every adapter at once, made in one request to the network (one consent prompt when it needs
// rights). Adapters that refuse their servers are named in the outcome; the cache is flushed all the same,
// since the others did change. An error of WMI ends the action at that adapter, without the cache flush, and
// passes to the caller; adapters already changed stay changed.

// Gives every TCP/IP interface the servers recorded in its "OrigDNS": one to three of them are assigned in
// order, any other number leaves the interface alone, and none hands it back to DHCP. Then flushes the cache.
DnsChangeOutcome RestoreRecordedServers(WatchNetwork& network, InterfaceRecords& records);

// Puts every IP-enabled adapter on the two OpenDNS resolvers, then flushes the cache.
DnsChangeOutcome SwitchToOpenDns(WmiQuery& query, WatchNetwork& network);

// Hands every IP-enabled adapter recorded as using DHCP (or not recorded at all) back to DHCP, then flushes
// the cache.
DnsChangeOutcome ResetDhcpAdapters(WmiQuery& query, WatchNetwork& network, InterfaceRecords& records);

}  // namespace quillcrest
