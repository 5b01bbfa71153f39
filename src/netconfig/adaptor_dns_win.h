#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

#include "netconfig/dns_change_outcome.h"

namespace quillcrest {

// Produces WMI's scripting services object; raises when it cannot.
using WmiServicesBinder = std::function<Microsoft::WRL::ComPtr<IDispatch>()>;

// Gives the IP-enabled adapter whose SettingID is settingId the servers as its static DNS list, primary
// first; with no servers the adapter goes back to the servers DHCP supplies. Binding WMI, the query and
// its enumerator raise EComError on failure. The method's answer decides the rest: 0 is done, 1 is done
// once Windows restarts, every other value is a refusal with its meaning, and so is an error the method
// call raises; the walk goes on over every adapter the query matched, and the outcome names the refusals.
DnsChangeOutcome SetAdaptorDNS(const std::string& settingId, const std::vector<std::string>& servers);
DnsChangeOutcome SetAdaptorDNS(const std::string& settingId,
                               const std::vector<std::string>& servers,
                               const WmiServicesBinder& bindServices);

}  // namespace quillcrest
