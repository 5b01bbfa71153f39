#include "netconfig/dns_server_list_win.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillcrest {
namespace {

// FIXED_INFO as 32-bit programs lay it out. In 64-bit code the structure takes 600 bytes, and Wine asks for
// 600 even with one server, so there the retry normally runs; the first server's entry already fits.
constexpr ULONG kFirstBufferSize = 584;
static_assert(offsetof(FIXED_INFO, DnsServerList) + sizeof(IP_ADDR_STRING) <= kFirstBufferSize,
              "the first buffer must hold the first server's entry");
// Far beyond any real answer (each further server costs 48 bytes); a larger request is not believed.
constexpr ULONG kMaxBufferSize = 64 * 1024;
// An address text fills at most the whole of IP_ADDRESS_STRING when the platform leaves out the NUL.
constexpr std::size_t kMaxAddressChars = sizeof(IP_ADDRESS_STRING);

std::string AddressText(const IP_ADDR_STRING& entry) {
    const char* text = entry.IpAddress.String;
    const std::size_t length = std::find(text, text + kMaxAddressChars, '\0') - text;
    return std::string(text, length);
}

// The platform places every further entry inside the buffer it asked for; a link that leads outside it
// ends the walk instead of reading memory that is not ours.
const IP_ADDR_STRING* NextEntry(const IP_ADDR_STRING& entry, const std::vector<unsigned char>& buffer) {
    const auto next = reinterpret_cast<std::uintptr_t>(entry.Next);
    const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data());
    const std::uintptr_t last = begin + buffer.size() - sizeof(IP_ADDR_STRING);
    if (entry.Next == nullptr || next < begin || next > last)
        return nullptr;
    return entry.Next;
}

DWORD CallSafely(const GetNetworkParamsFunction& getNetworkParams, std::vector<unsigned char>& buffer, ULONG* size) {
    try {
        return getNetworkParams(reinterpret_cast<FIXED_INFO*>(buffer.data()), size);
    } catch (...) {
        return ERROR_GEN_FAILURE;
    }
}

}  // namespace

std::string GetDNSServerList(const GetNetworkParamsFunction& getNetworkParams) {
    try {
        // operator new aligns the bytes for any type, FIXED_INFO's pointers included.
        std::vector<unsigned char> buffer(kFirstBufferSize);
        ULONG size = kFirstBufferSize;
        DWORD status = CallSafely(getNetworkParams, buffer, &size);
        if (status == ERROR_BUFFER_OVERFLOW) {
            if (size > kMaxBufferSize)
                return std::string();
            buffer.assign(std::max(size, kFirstBufferSize), 0);
            size = static_cast<ULONG>(buffer.size());
            status = CallSafely(getNetworkParams, buffer, &size);
        }
        if (status != ERROR_SUCCESS)
            return std::string();

        // Only the server chain is read, which the first buffer holds even where FIXED_INFO is larger.
        const auto& firstServer =
            *reinterpret_cast<const IP_ADDR_STRING*>(buffer.data() + offsetof(FIXED_INFO, DnsServerList));
        std::string list = AddressText(firstServer);
        if (list.empty())
            return list;
        // No more entries fit the buffer than this, so a chain that goes round in a circle still ends.
        const std::size_t maxEntries = buffer.size() / sizeof(IP_ADDR_STRING);
        std::size_t entries = 1;
        for (const IP_ADDR_STRING* entry = NextEntry(firstServer, buffer); entry != nullptr && entries < maxEntries;
             entry = NextEntry(*entry, buffer), ++entries) {
            const std::string address = AddressText(*entry);
            // An empty item would read as a stray comma and differ from every list the user accepted.
            if (!address.empty())
                list += "," + address;
        }
        return list;
    } catch (...) {
        return std::string();
    }
}

std::string GetDNSServerList() {
    return GetDNSServerList(::GetNetworkParams);
}

}  // namespace quillcrest
