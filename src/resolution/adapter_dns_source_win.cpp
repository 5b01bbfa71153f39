#include "resolution/adapter_dns_source_win.h"

// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
// clang-format on

#include <cstring>
#include <string>

#include "resolution/ip_address_text.h"
#include "resolution/unicode_text.h"

namespace quillcrest {
namespace {

// The size the platform's documentation suggests for a first call.
constexpr ULONG kFirstBufferSize = 15 * 1024;
// Adapters that appear between the call that sized the buffer and the call that fills it are asked for again at
// most this often.
constexpr int kAttempts = 4;
// Only the DNS servers and the names are needed: the address lists are left out, which makes the call cheaper.
constexpr ULONG kFlags = GAA_FLAG_SKIP_UNICAST | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST;

void AddServer(const SOCKET_ADDRESS& address, AdapterDns& adapter) {
    if (address.lpSockaddr == nullptr)
        return;
    if (address.lpSockaddr->sa_family == AF_INET6 && address.iSockaddrLength >= int{sizeof(sockaddr_in6)}) {
        const auto* ipv6 = reinterpret_cast<const sockaddr_in6*>(address.lpSockaddr);
        std::uint8_t bytes[16];
        std::memcpy(bytes, &ipv6->sin6_addr, sizeof bytes);
        adapter.ipv6Servers.push_back(Ipv6Text(bytes));
    } else if (address.lpSockaddr->sa_family == AF_INET && address.iSockaddrLength >= int{sizeof(sockaddr_in)}) {
        const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(address.lpSockaddr);
        std::uint8_t bytes[4];
        std::memcpy(bytes, &ipv4->sin_addr, sizeof bytes);
        adapter.ipv4Servers.push_back(Ipv4Text(bytes));
    }
}

}  // namespace

AdapterSnapshot Win32AdapterDnsSource::ReadAdapters() {
    AdapterSnapshot snapshot;
    if (buffer_.empty())
        buffer_.resize(kFirstBufferSize / sizeof(std::uint64_t));
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        ULONG size = static_cast<ULONG>(buffer_.size() * sizeof(std::uint64_t));
        auto* first = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer_.data());
        const ULONG status = ::GetAdaptersAddresses(AF_UNSPEC, kFlags, nullptr, first, &size);
        if (status == ERROR_BUFFER_OVERFLOW) {
            buffer_.resize(size / sizeof(std::uint64_t) + 1);
            continue;
        }
        if (status == ERROR_NO_DATA)
            return snapshot;
        if (status != NO_ERROR)
            break;
        for (const IP_ADAPTER_ADDRESSES* entry = first; entry != nullptr; entry = entry->Next) {
            AdapterDns adapter;
            adapter.id = entry->AdapterName ? entry->AdapterName : "";
            if (entry->FriendlyName)
                adapter.name = Wtf8FromUtf16(reinterpret_cast<const char16_t*>(entry->FriendlyName));
            for (const IP_ADAPTER_DNS_SERVER_ADDRESS* server = entry->FirstDnsServerAddress; server != nullptr;
                 server = server->Next)
                AddServer(server->Address, adapter);
            snapshot.adapters.push_back(std::move(adapter));
        }
        return snapshot;
    }
    snapshot.state = ReadState::Unreadable;
    snapshot.adapters.clear();
    return snapshot;
}

}  // namespace quillcrest
