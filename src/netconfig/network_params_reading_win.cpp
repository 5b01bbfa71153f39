#include "netconfig/network_params_reading_win.h"

#include <algorithm>
#include <utility>

#include "netconfig/ip_config_address_list_win.h"

namespace quillcrest {

const FIXED_INFO* NetworkParamsReading::info() const {
    if (status_ != ERROR_SUCCESS || !answer_)
        return nullptr;
    return answer_->as<FIXED_INFO>();
}

std::vector<std::string> NetworkParamsReading::DnsServerEntries() const {
    const FIXED_INFO* params = info();
    if (!params)
        return {};
    return IpAddressTexts(*answer_, params->DnsServerList);
}

NetworkParamsReading ReadNetworkParams(IpHelperApi& api, ULONG firstOffer) {
    ULONG size = firstOffer;
    // Never shorter than the whole structure, so the fields past a short first offer read as zeros.
    std::optional<IpHelperAnswer> answer;
    if (firstOffer > 0)
        answer.emplace(firstOffer, sizeof(FIXED_INFO));
    DWORD status = api.GetNetworkParams(answer ? answer->as<FIXED_INFO>() : nullptr, &size);
    if (status != ERROR_BUFFER_OVERFLOW)
        return NetworkParamsReading(status, std::move(answer));

    if (size > kMaxAnswerSize)
        return NetworkParamsReading(ERROR_NOT_ENOUGH_MEMORY, std::nullopt);
    // The answer a call fills must be the one whose bounds the walk checks, so the retry gets its own.
    answer.emplace(size, sizeof(FIXED_INFO));
    size = std::max(size, firstOffer);
    status = api.GetNetworkParams(answer->as<FIXED_INFO>(), &size);
    return NetworkParamsReading(status, std::move(answer));
}

}  // namespace quillcrest
