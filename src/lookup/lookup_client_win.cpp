#include "lookup/lookup_client_win.h"

#include <memory>

#include "lookup/udp_socket_win.h"

namespace quillcrest {

WinsockLookupClient::WinsockLookupClient(LookupClientSettings settings)
    : client_(
          resolver_,
          [] { return std::make_unique<UdpSocket>(); },
          settings) {}

}  // namespace quillcrest
