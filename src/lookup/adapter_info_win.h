#pragma once

#include <memory>

#include "lookup/adapter_info.h"
#include "lookup/ip_config_platform_win.h"

namespace quillcrest {

// Builds the record of one IP_ADAPTER_INFO entry. The time zone is read from `api` at each lease-time
// conversion.
std::unique_ptr<TconAdapterInfo> ReadAdapterInfo(const IP_ADAPTER_INFO& entry, IpHelperApi& api);

}  // namespace quillcrest
