#pragma once

#include <windows.h>
#include <winsock2.h>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include "base/message_dispatching_wait_win.h"
#include "base/win_handles_win.h"
#include "lookup/lookup_transport.h"

namespace quillcrest {

// The wait of a lookup exchange on the user-interface thread: window messages are dispatched meanwhile, and a quit
// request ends the wait at once, as if the time had run out, so the program is not held up by a silent service.
// Throws ELookupTransportError when the system cannot wait.
bool WaitForDatagramDispatchingMessages(HANDLE event, std::chrono::milliseconds timeout);

// The lookup client's datagram socket over Winsock. The socket reports readiness through an event
// (WSAEventSelect), so the wait can sleep on the event and the message queue together. Needs a running
// WinsockSession.
class UdpSocket final : public DatagramSocket {
  public:
    // A flood of stale datagrams must not keep the discard going for ever.
    static constexpr int kMaxDiscardedDatagrams = 256;

    explicit UdpSocket(EventWait wait = WaitForDatagramDispatchingMessages);

    void Connect(const Ipv4Endpoint& peer) override;
    void DiscardPending() override;
    void Send(const std::string& datagram) override;
    // Windows reports "port unreachable" as 10054; Wine reports it as 10061, not for the first datagram but for
    // every later one. Both, and every other error, are thrown.
    std::optional<std::string> Receive(std::size_t maxBytes, std::chrono::milliseconds timeout) override;

  private:
    // One more look when the wait ended without a signal: Wine stops signalling arriving datagrams once it has
    // reported "port unreachable" on the socket, so the event alone cannot be trusted to tell.
    std::optional<std::string> LastChance(std::string& buffer);
    // Takes the events the socket recorded (resetting the event) and throws the error of a failed one.
    void ThrowRecordedError();

    UniqueSocket socket_;
    UniqueKernelHandle readiness_;
    EventWait wait_;
};

}  // namespace quillcrest
