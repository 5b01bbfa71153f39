#pragma once

#include <windows.h>
#include <wbemidl.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

#include "netconfig/dns_change_outcome.h"

namespace quillcrest {

// Produces WMI's services object for "root\cimv2"; raises when it cannot.
using WmiServicesConnector = std::function<Microsoft::WRL::ComPtr<IWbemServices>()>;

// Gives the IP-enabled adapter whose SettingID is settingId the servers as its static DNS list, primary
// first; with no servers the adapter goes back to the servers DHCP supplies. WMI is reached through its locator
// class (never through a moniker, whose name per-user registrations could redirect), and the method is called
// on each matching adapter's object path with in-parameters made from the class's own method signature.
// Connecting, the query and its walk raise EComError on failure. The method's answer decides the rest: 0 is
// done, 1 is done once Windows restarts, every other value is a refusal with its meaning, and so is a failure to
// call the method at all (the method missing from the class among them); the walk goes on over every adapter
// the query matched, and the outcome names the refusals. "Adaptor" on purpose: the operation's own name.
DnsChangeOutcome SetAdaptorDNS(const std::string& settingId, const std::vector<std::string>& servers);
DnsChangeOutcome SetAdaptorDNS(const std::string& settingId,
                               const std::vector<std::string>& servers,
                               const WmiServicesConnector& connect);

}  // namespace quillcrest
