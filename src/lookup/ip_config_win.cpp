#include "lookup/ip_config_win.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "lookup/adapter_info_win.h"
#include "lookup/ip_config_address_list_win.h"
#include "lookup/ip_config_chain.h"
#include "lookup/ip_config_text.h"

namespace quillcrest {

namespace {

constexpr char kHostInfoProblem[] = "Problem getting Host info:\r";
constexpr char kAdaptersInfoProblem[] = "Problem getting Adapters info:\r";

// Zero-filled room for an IP Helper answer. The platform places the chain's further entries, with pointers
// between them, behind the head structure, so the storage is aligned for pointers. It is never shorter than the
// head structure itself: a platform that under-reports the size then leaves zeros to read, not foreign memory.
template <typename Head>
class AnswerBuffer {
  public:
    explicit AnswerBuffer(ULONG reportedSize)
        : storage_((std::max<std::size_t>(reportedSize, sizeof(Head)) + sizeof(Slot) - 1) / sizeof(Slot)) {}

    Head* get() { return reinterpret_cast<Head*>(storage_.data()); }

  private:
    using Slot = std::uint64_t;
    static_assert(alignof(Head) <= alignof(Slot), "answer structures must fit the buffer's alignment");
    std::vector<Slot> storage_;
};

}  // namespace

TconIPConfig::TconIPConfig() : TconIPConfig(SystemIpHelper()) {}

TconIPConfig::TconIPConfig(IpHelperApi& api) : api_(api) {}

void TconIPConfig::Refresh() {
    DWORD result = ReadNetworkParams();
    if (result != ERROR_SUCCESS)
        throw EconIPConfigError(kHostInfoProblem + api_.SystemMessage(result));
    result = ReadAdapters();
    if (result != ERROR_SUCCESS)
        throw EconIPConfigError(kAdaptersInfoProblem + api_.SystemMessage(result));
}

DWORD TconIPConfig::ReadNetworkParams() {
    ULONG size = 0;
    DWORD result = api_.GetNetworkParams(nullptr, &size);
    if (result != ERROR_BUFFER_OVERFLOW)
        return result;

    AnswerBuffer<FIXED_INFO> buffer(size);
    result = api_.GetNetworkParams(buffer.get(), &size);
    if (result != ERROR_SUCCESS)
        return result;

    const FIXED_INFO& info = *buffer.get();
    HostName = TrimText(FixedFieldText(info.HostName, sizeof info.HostName));
    DomainName = TrimText(FixedFieldText(info.DomainName, sizeof info.DomainName));
    ScopeID = TrimText(FixedFieldText(info.ScopeId, sizeof info.ScopeId));
    NodeType = NodeTypeName(info.NodeType);
    EnableRouting = info.EnableRouting != 0;
    EnableProxy = info.EnableProxy != 0;
    EnableDNS = info.EnableDns != 0;
    DNSServers = IpAddressTexts(info.DnsServerList);
    return ERROR_SUCCESS;
}

DWORD TconIPConfig::ReadAdapters() {
    ULONG size = 0;
    DWORD result = api_.GetAdaptersInfo(nullptr, &size);
    if (result == ERROR_SUCCESS)
        return result;

    AnswerBuffer<IP_ADAPTER_INFO> buffer(size);
    result = api_.GetAdaptersInfo(buffer.get(), &size);
    if (result != ERROR_SUCCESS)
        return result;

    // Built aside and swapped in, so a failure half-way keeps the previous records whole.
    std::vector<std::unique_ptr<TconAdapterInfo>> adapters;
    WalkChain(*buffer.get(), [&](const IP_ADAPTER_INFO& entry) { adapters.push_back(ReadAdapterInfo(entry, api_)); });
    Adapters = std::move(adapters);
    return ERROR_SUCCESS;
}

}  // namespace quillcrest
