#include "lookup/udp_host_resolver_win.h"

#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include "base/win_handles_win.h"

namespace quillcrest {

std::uint32_t UdpHostResolver::Resolve(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_protocol = IPPROTO_UDP;
    UniqueAddressInfo found;
    const int code = ::getaddrinfo(host.c_str(), nullptr, &hints, found.put());
    if (code != 0 || !found || found.get()->ai_addr == nullptr)
        throw LookupTransportError("cannot resolve the lookup host (error " + std::to_string(code) + ")");
    const auto* address = reinterpret_cast<const sockaddr_in*>(found.get()->ai_addr);
    return ntohl(address->sin_addr.s_addr);
}

}  // namespace quillcrest
