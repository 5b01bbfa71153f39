#include "system_host_name_resolver.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace quillcrest::lookupd {

std::optional<std::string> SystemHostNameResolver::NameOf(std::uint32_t address) {
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_addr.s_addr = htonl(address);
    char name[NI_MAXHOST] = {};
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&socketAddress), sizeof socketAddress, name, sizeof name,
                      nullptr, 0, NI_NAMEREQD) != 0)
        return std::nullopt;
    return std::string(name);
}

}  // namespace quillcrest::lookupd
