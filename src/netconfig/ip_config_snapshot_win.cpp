#include "netconfig/ip_config_snapshot_win.h"

#include <utility>

#include "netconfig/adapter_info_win.h"
#include "netconfig/ip_config_text.h"
#include "netconfig/ip_helper_answer.h"
#include "netconfig/network_params_reading_win.h"

namespace quillcrest {

namespace {

constexpr char kHostInfoProblem[] = "Problem getting Host info:\r";
constexpr char kAdaptersInfoProblem[] = "Problem getting Adapters info:\r";

}  // namespace

IpConfigSnapshot::IpConfigSnapshot() : IpConfigSnapshot(SystemIpHelper()) {}

IpConfigSnapshot::IpConfigSnapshot(IpHelperApi& api) : api_(api) {}

void IpConfigSnapshot::Refresh() {
    RefreshNetworkParams();
    const DWORD result = ReadAdapters();
    if (result != ERROR_SUCCESS)
        throw EconIPConfigError(kAdaptersInfoProblem + api_.SystemMessage(result));
}

void IpConfigSnapshot::RefreshNetworkParams() {
    const DWORD result = ReadNetworkFields();
    if (result != ERROR_SUCCESS)
        throw EconIPConfigError(kHostInfoProblem + api_.SystemMessage(result));
}

DWORD IpConfigSnapshot::ReadNetworkFields() {
    // No buffer at first: the platform names the size it needs.
    const NetworkParamsReading reading = ReadNetworkParams(api_, 0);
    if (reading.status() != ERROR_SUCCESS)
        return reading.status();
    const FIXED_INFO* info = reading.info();
    // The size query itself answered success: there was nothing to read.
    if (!info)
        return ERROR_SUCCESS;

    HostName = TrimText(FixedFieldText(info->HostName, sizeof info->HostName));
    DomainName = TrimText(FixedFieldText(info->DomainName, sizeof info->DomainName));
    ScopeID = TrimText(FixedFieldText(info->ScopeId, sizeof info->ScopeId));
    NodeType = NodeTypeName(info->NodeType);
    EnableRouting = info->EnableRouting != 0;
    EnableProxy = info->EnableProxy != 0;
    EnableDNS = info->EnableDns != 0;
    DNSServers = reading.DnsServerEntries();
    return ERROR_SUCCESS;
}

DWORD IpConfigSnapshot::ReadAdapters() {
    ULONG size = 0;
    DWORD result = api_.GetAdaptersInfo(nullptr, &size);
    if (result == ERROR_SUCCESS)
        return result;

    if (size > kMaxAnswerSize)
        return ERROR_NOT_ENOUGH_MEMORY;
    IpHelperAnswer answer(size, sizeof(IP_ADAPTER_INFO));
    result = api_.GetAdaptersInfo(answer.as<IP_ADAPTER_INFO>(), &size);
    if (result != ERROR_SUCCESS)
        return result;

    // Built aside and swapped in, so a failure half-way keeps the previous records whole.
    std::vector<std::unique_ptr<TconAdapterInfo>> adapters;
    WalkChain(answer, *answer.as<IP_ADAPTER_INFO>(),
              [&](const IP_ADAPTER_INFO& entry) { adapters.push_back(ReadAdapterInfo(answer, entry, api_)); });
    Adapters = std::move(adapters);
    return ERROR_SUCCESS;
}

}  // namespace quillcrest
