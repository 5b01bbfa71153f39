#pragma once

#include <windows.h>
#include <winsock2.h>

#include <memory>
#include <string>

#include "base/winsock_session_win.h"
#include "http/tcp_network.h"

namespace quillcrest {

// The program's sockets: Winsock TCP connections whose waits keep the user interface alive (see
// WaitForSocketEvent) and getaddrinfo name lookup. Holds Winsock started for as long as it lives; connections
// it opened must go before it.
class WinsockNetwork : public TcpNetwork {
  public:
    WinsockNetwork() = default;

    std::unique_ptr<TcpConnection> OpenConnection() override;
    Ipv4Address ResolveHost(const std::string& host) override;

  private:
    WinsockSession session_;
};

}  // namespace quillcrest
