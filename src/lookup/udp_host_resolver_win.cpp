#include "lookup/udp_host_resolver_win.h"

#include <windows.h>
#include <winsock2.h>

#include <utility>

#include "base/host_address_lookup_win.h"

namespace quillcrest {

UdpHostResolver::UdpHostResolver(EventWait wait) : wait_(std::move(wait)) {}

std::uint32_t UdpHostResolver::Resolve(const std::string& host) {
    const std::optional<HostAddressAnswer> answer = LookUpHostAddress(host, SOCK_DGRAM, wait_, kLookupHostResolveLimit);
    if (!answer)
        throw ELookupTransportError("the name lookup of the lookup host was abandoned");
    if (answer->code != 0 || !answer->address)
        throw ELookupTransportError("cannot resolve the lookup host (error " + std::to_string(answer->code) + ")");
    return ntohl(*answer->address);
}

}  // namespace quillcrest
