#include "lookup/lookup_client.h"

#include <optional>
#include <utility>

namespace quillcrest {

LookupClient::LookupClient(HostResolver& resolver, SocketOpener openSocket, LookupClientSettings settings)
    : resolver_(resolver), openSocket_(std::move(openSocket)), settings_(settings) {}

LookupClient::~LookupClient() = default;

LookupQueryReply LookupClient::QueryLookupService(const std::string& serverAddress) {
    if (host_.empty())
        return {};
    try {
        return {true, Exchange(serverAddress)};
    } catch (...) {
        // A failed exchange is an outcome for the report, not an error for the user.
        return {};
    }
}

std::string LookupClient::Exchange(const std::string& serverAddress) {
    const Ipv4Endpoint service{resolver_.Resolve(host_), settings_.port};
    if (!socket_)
        socket_ = openSocket_();
    // Connecting makes the system drop datagrams from anyone but the service, and discarding what already waits
    // keeps a reply that came after an earlier exchange timed out from passing for this request's reply.
    try {
        socket_->Connect(service);
        socket_->DiscardPending();
        socket_->Send(serverAddress);
        // A datagram longer than the buffer comes back cut to the buffer's size; the report then shows what fits.
        std::optional<std::string> reply = socket_->Receive(settings_.receiveBufferBytes, settings_.receiveTimeout);
        return reply ? std::move(*reply) : std::string();
    } catch (...) {
        // A socket that reported an error is not trusted with the next exchange: under Wine, one that was told
        // "port unreachable" never signals an arriving datagram again. The next exchange opens a fresh one.
        socket_.reset();
        throw;
    }
}

}  // namespace quillcrest
