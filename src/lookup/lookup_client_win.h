#pragma once

#include "base/winsock_session_win.h"
#include "lookup/lookup_client.h"
#include "lookup/udp_host_resolver_win.h"

namespace quillcrest {

// The process's lookup client over Winsock, with the Winsock start-up it needs. Created once at program start
// and destroyed at the end; the socket opens at the first exchange. Its waits dispatch window messages.
class WinsockLookupClient {
  public:
    explicit WinsockLookupClient(LookupClientSettings settings = {});

    WinsockLookupClient(const WinsockLookupClient&) = delete;
    WinsockLookupClient& operator=(const WinsockLookupClient&) = delete;

    LookupClient& client() { return client_; }

  private:
    // Declaration order is start-up order: Winsock outlives the socket the client holds.
    WinsockSession session_;
    UdpHostResolver resolver_;
    LookupClient client_;
};

}  // namespace quillcrest
