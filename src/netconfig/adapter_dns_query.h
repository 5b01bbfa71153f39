#pragma once

#include <string>

namespace quillcrest {

// The WQL text that selects the IP-enabled adapter configuration with the given SettingID.
std::string AdapterDnsQuery(const std::string& settingId);

}  // namespace quillcrest
