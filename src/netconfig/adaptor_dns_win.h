#pragma once

#include <oaidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

namespace quillcrest {

// Produces WMI's scripting services object; raises when it cannot.
using WmiServicesBinder = std::function<Microsoft::WRL::ComPtr<IDispatch>()>;

// Gives the IP-enabled adapter whose SettingID is settingId the servers as its static DNS list, primary
// first; with no servers the adapter goes back to the servers DHCP supplies. Binding WMI, the query and
// its enumerator raise EComError on failure; a refusal by the adapter itself is not reported.
void SetAdaptorDNS(const std::string& settingId, const std::vector<std::string>& servers);
void SetAdaptorDNS(const std::string& settingId,
                   const std::vector<std::string>& servers,
                   const WmiServicesBinder& bindServices);

}  // namespace quillcrest
