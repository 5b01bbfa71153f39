#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "country_lookup.h"
#include "host_name_resolver.h"
#include "rogue_list.h"

namespace quillcrest::lookupd {

// Bytes of the IPv4 and UDP headers that every datagram carries on the wire.
constexpr std::size_t kDatagramHeaderBytes = 28;
// The amplification rule: a reply, headers included, is at most this many times its request, headers included.
// The shortest request ("1.2.3.4", 7 bytes) thus allows a reply of 8 * 35 - 28 = 252 bytes of text.
constexpr std::size_t kReplyGrowthFactor = 8;
// DNS allows host names of at most 253 characters.
constexpr std::size_t kLongestHostName = 253;

constexpr char kUnknownCountry[] = "Unknown";
constexpr char kNoWarning[] = "none";

// The text of a reply may be at most this long for a request of requestBytes.
std::size_t ReplyBudget(std::size_t requestBytes);

// Builds the service's answer to one request datagram:
// "public address;server address;server host name;public country;server country;warning".
// The public address is the request's source; the host name is the server's reverse name, or its address when it
// has none, when it is not a public address, or when the name is no plain DNS name (so nothing from a name server
// reaches the reply unchecked);
// countries come from the database, "Unknown" for non-public addresses or when the database knows none; the
// warning is the rogue list's, or "none".
class LookupResponder {
  public:
    // All three must outlive the responder.
    LookupResponder(const RogueList& rogueList, CountryLookup& countries, HostNameResolver& names);

    // Nothing for a datagram that is not exactly a dotted IPv4 address, and for an answer that would break the
    // amplification rule even with the address in place of the host name. Lets ResolverStopped through.
    std::optional<std::string> Answer(std::uint32_t source, std::string_view request);

  private:
    std::string CountryOf(std::uint32_t address);
    std::string HostNameOf(std::uint32_t address, std::uint32_t asker);

    const RogueList& rogueList_;
    CountryLookup& countries_;
    HostNameResolver& names_;
};

}  // namespace quillcrest::lookupd
