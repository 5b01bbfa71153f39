#include "netconfig/dns_server_list_win.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "netconfig/ip_helper_answer.h"

namespace quillcrest {
namespace {

// FIXED_INFO as 32-bit programs lay it out. In 64-bit code the structure takes 600 bytes, and Wine asks for
// 600 even with one server, so there the retry normally runs; the first server's entry already fits.
constexpr ULONG kFirstBufferSize = 584;
static_assert(offsetof(FIXED_INFO, DnsServerList) + sizeof(IP_ADDR_STRING) <= kFirstBufferSize,
              "the first buffer must hold the first server's entry");
// An address text fills at most the whole of IP_ADDRESS_STRING when the platform leaves out the NUL.
constexpr std::size_t kMaxAddressChars = sizeof(IP_ADDRESS_STRING);

std::string AddressText(const IP_ADDR_STRING& entry) {
    const char* text = entry.IpAddress.String;
    const std::size_t length = std::find(text, text + kMaxAddressChars, '\0') - text;
    return std::string(text, length);
}

// Only the server chain is read, which the first buffer holds even where FIXED_INFO is larger.
const IP_ADDR_STRING& FirstServer(IpHelperAnswer& answer) {
    return *reinterpret_cast<const IP_ADDR_STRING*>(answer.as<unsigned char>() + offsetof(FIXED_INFO, DnsServerList));
}

}  // namespace

std::optional<std::string> ReadDNSServerList(IpHelperApi& api) {
    try {
        ULONG size = kFirstBufferSize;
        IpHelperAnswer first(size, kFirstBufferSize);
        // The answer a call fills must be the one whose bounds the walk checks, so each call gets its own.
        std::optional<IpHelperAnswer> retry;
        IpHelperAnswer* answer = &first;
        DWORD status = api.GetNetworkParams(first.as<FIXED_INFO>(), &size);
        if (status == ERROR_BUFFER_OVERFLOW) {
            if (size > kMaxAnswerSize)
                return std::nullopt;
            retry.emplace(size, kFirstBufferSize);
            answer = &*retry;
            size = static_cast<ULONG>(std::max<std::size_t>(size, kFirstBufferSize));
            status = api.GetNetworkParams(answer->as<FIXED_INFO>(), &size);
        }
        if (status != ERROR_SUCCESS)
            return std::nullopt;

        const IP_ADDR_STRING& firstServer = FirstServer(*answer);
        std::string list = AddressText(firstServer);
        if (list.empty())
            return list;
        bool firstEntry = true;
        WalkChain(*answer, firstServer, [&list, &firstEntry](const IP_ADDR_STRING& entry) {
            if (std::exchange(firstEntry, false))
                return;
            const std::string address = AddressText(entry);
            // An empty item would read as a stray comma and differ from every list the user accepted.
            if (!address.empty())
                list += "," + address;
        });
        return list;
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
