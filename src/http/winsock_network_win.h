#pragma once

#include <windows.h>
#include <winsock2.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "base/message_dispatching_wait_win.h"
#include "base/winsock_session_win.h"
#include "http/tcp_network.h"

namespace quillcrest {

// The wait of a page fetch on the user-interface thread: window messages are dispatched meanwhile, so windows
// repaint and timers tick. A quit request ends the wait at once with EExchangeAbandoned and is posted again for the
// program's own message loop: a page is not worth keeping a closing program (and its frozen windows) for up to the
// exchange's deadline.
bool WaitForPageDispatchingMessages(HANDLE event, std::chrono::milliseconds timeout);

// The program's sockets: Winsock TCP connections whose waits keep the user interface alive (see
// WaitForPageDispatchingMessages) and getaddrinfo name lookup on a worker thread, waited for the same way. Holds
// Winsock started for as long as it lives; connections it opened must go before it.
class WinsockNetwork : public TcpNetwork {
  public:
    explicit WinsockNetwork(EventWait wait = WaitForPageDispatchingMessages) : wait_(std::move(wait)) {}

    std::unique_ptr<TcpConnection> OpenConnection() override;
    std::optional<Ipv4Address> ResolveHost(const std::string& host, std::chrono::milliseconds maxWait) override;

  private:
    WinsockSession session_;
    EventWait wait_;
};

}  // namespace quillcrest
