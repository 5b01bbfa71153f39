#include "netconfig/dns_server_list_win.h"

#include <cstddef>
#include <string>
#include <vector>

#include "netconfig/network_params_reading_win.h"

namespace quillcrest {
namespace {

// FIXED_INFO as 32-bit programs lay it out. In 64-bit code the structure takes 600 bytes, and Wine asks for 600
// even with one server, so there the retry normally runs; the first server's entry already fits.
constexpr ULONG kFirstBufferSize = 584;
static_assert(offsetof(FIXED_INFO, DnsServerList) + sizeof(IP_ADDR_STRING) <= kFirstBufferSize,
              "the first buffer must hold the first server's entry");

// The list text of the platform's entries: none when the first is empty; later empty entries are left out.
std::string ListText(const std::vector<std::string>& entries) {
    if (entries.empty() || entries.front().empty())
        return std::string();
    std::string list = entries.front();
    for (std::size_t i = 1; i < entries.size(); ++i) {
        // An empty item would read as a stray comma and differ from every list the user accepted.
        if (!entries[i].empty())
            list += "," + entries[i];
    }
    return list;
}

}  // namespace

std::optional<std::string> ReadDNSServerList(IpHelperApi& api) {
    try {
        const NetworkParamsReading reading = ReadNetworkParams(api, kFirstBufferSize);
        if (reading.status() != ERROR_SUCCESS)
            return std::nullopt;
        return ListText(reading.DnsServerEntries());
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<std::string> ReadDNSServerList() {
    return ReadDNSServerList(SystemIpHelper());
}

std::string GetDNSServerList() {
    return ReadDNSServerList().value_or(std::string());
}

}  // namespace quillcrest
