#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "lookup/lookup_transport.h"

namespace quillcrest {

constexpr std::uint16_t kLookupServicePort = 6066;
constexpr std::chrono::milliseconds kLookupReceiveTimeout{5000};
constexpr std::size_t kLookupReceiveBufferBytes = 8192;

struct LookupClientSettings {
    std::uint16_t port = kLookupServicePort;
    std::chrono::milliseconds receiveTimeout = kLookupReceiveTimeout;
    std::size_t receiveBufferBytes = kLookupReceiveBufferBytes;
};

// What one exchange gave: `reached` is false only when the service could not be reached; a timeout is reached
// with an empty reply. The reply is as the service sent it; ParseLookupReply trims it.
struct LookupQueryReply {
    bool reached = false;
    std::string reply;
};

// The program's one client of the lookup service. Its socket is opened at the first exchange and kept until the
// client goes, unless it fails: a socket that reported an error is replaced at the next exchange. The host is
// resolved again for every request.
class LookupClient {
  public:
    using SocketOpener = std::function<std::unique_ptr<DatagramSocket>()>;

    // `resolver` must outlive the client; `openSocket` is called at the first exchange (and again after an
    // opening failed).
    LookupClient(HostResolver& resolver, SocketOpener openSocket, LookupClientSettings settings = {});
    ~LookupClient();

    LookupClient(const LookupClient&) = delete;
    LookupClient& operator=(const LookupClient&) = delete;

    void SetHost(std::string host) { host_ = std::move(host); }
    const std::string& Host() const { return host_; }

    // Sends serverAddress to the lookup host and waits for the first datagram back. Never throws.
    LookupQueryReply QueryLookupService(const std::string& serverAddress);

  private:
    std::string Exchange(const std::string& serverAddress);

    HostResolver& resolver_;
    SocketOpener openSocket_;
    LookupClientSettings settings_;
    std::string host_;
    std::unique_ptr<DatagramSocket> socket_;
};

}  // namespace quillcrest
