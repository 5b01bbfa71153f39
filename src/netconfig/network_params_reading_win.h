#pragma once

// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
// clang-format on

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "netconfig/ip_helper_answer.h"
#include "netconfig/ip_helper_api_win.h"

namespace quillcrest {

// One reading of the machine-wide network parameters through GetNetworkParams: the platform's last status and,
// when a call filled a buffer, the answer it wrote. The one place that asks the platform for the IPv4 DNS servers.
class NetworkParamsReading {
  public:
    NetworkParamsReading(DWORD status, std::optional<IpHelperAnswer> answer)
        : status_(status), answer_(std::move(answer)) {}

    DWORD status() const { return status_; }

    // The structure the platform filled; null unless the status is ERROR_SUCCESS and a buffer was offered. Bytes
    // beyond the size offered read as zero.
    const FIXED_INFO* info() const;

    // The IPv4 DNS server entries in resolver order, each text as the platform wrote it (up to its zero, at most
    // the field's 16 characters): the embedded first entry always, so a machine without a server gives one empty
    // entry, then each entry reached through Next inside the answer. Empty when nothing was filled.
    std::vector<std::string> DnsServerEntries() const;

  private:
    DWORD status_;
    std::optional<IpHelperAnswer> answer_;
};

// Calls GetNetworkParams first with a buffer of `firstOffer` bytes, or with none and a size of 0 when it is 0.
// After ERROR_BUFFER_OVERFLOW it calls once more with the size the platform asked for (at least `firstOffer`); a
// size beyond kMaxAnswerSize is not allocated and reads as ERROR_NOT_ENOUGH_MEMORY. A first call that succeeds
// without a buffer fills nothing. Exceptions of `api` and of allocation pass to the caller.
NetworkParamsReading ReadNetworkParams(IpHelperApi& api, ULONG firstOffer);

}  // namespace quillcrest
