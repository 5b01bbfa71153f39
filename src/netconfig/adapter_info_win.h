#pragma once

#include <memory>

#include "netconfig/adapter_info.h"
#include "netconfig/ip_helper_answer.h"
#include "netconfig/ip_helper_api_win.h"

namespace quillcrest {

// Builds the record of one IP_ADAPTER_INFO entry of `answer`; its address pointers are followed only inside the
// answer. The time zone is read from `api` at each lease-time conversion.
std::unique_ptr<TconAdapterInfo> ReadAdapterInfo(const IpHelperAnswer& answer,
                                                 const IP_ADAPTER_INFO& entry,
                                                 IpHelperApi& api);

}  // namespace quillcrest
