#include "lookup_responder.h"

#include "ipv4.h"

namespace quillcrest::lookupd {
namespace {

bool IsHostNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_';
}

// A name server may hand back any bytes; only plain DNS names go into the reply, which the client shows as HTML.
bool IsPlainHostName(const std::string& name) {
    if (name.empty() || name.size() > kLongestHostName)
        return false;
    for (char c : name) {
        if (!IsHostNameCharacter(c))
            return false;
    }
    return true;
}

std::string Joined(const std::string& publicAddress,
                   const std::string& serverAddress,
                   const std::string& hostName,
                   const std::string& publicCountry,
                   const std::string& serverCountry,
                   const std::string& warning) {
    return publicAddress + ";" + serverAddress + ";" + hostName + ";" + publicCountry + ";" + serverCountry + ";" +
           warning;
}

}  // namespace

std::size_t ReplyBudget(std::size_t requestBytes) {
    return kReplyGrowthFactor * (requestBytes + kDatagramHeaderBytes) - kDatagramHeaderBytes;
}

LookupResponder::LookupResponder(const RogueList& rogueList, CountryLookup& countries, HostNameResolver& names)
    : rogueList_(rogueList), countries_(countries), names_(names) {}

std::string LookupResponder::CountryOf(std::uint32_t address) {
    if (IsNonPublicAddress(address))
        return kUnknownCountry;
    return countries_.CountryOf(address).value_or(kUnknownCountry);
}

std::string LookupResponder::HostNameOf(std::uint32_t address, std::uint32_t asker) {
    // A private address names a machine on the asker's network; here it would name one on ours, if any, and the
    // question would only leak to our name servers.
    if (IsNonPublicAddress(address))
        return FormatDottedAddress(address);
    std::optional<std::string> name = names_.NameOfFor(address, asker);
    if (name && !name->empty() && name->back() == '.')
        name->pop_back();
    return name && IsPlainHostName(*name) ? *name : FormatDottedAddress(address);
}

std::optional<std::string> LookupResponder::Answer(std::uint32_t source, std::string_view request) {
    const std::optional<std::uint32_t> server = ParseDottedAddress(request);
    if (!server)
        return std::nullopt;
    const std::string publicAddress = FormatDottedAddress(source);
    const std::string serverAddress = FormatDottedAddress(*server);
    const std::string publicCountry = CountryOf(source);
    const std::string serverCountry = CountryOf(*server);
    const std::string warning = rogueList_.WarningFor(*server).value_or(kNoWarning);
    const std::size_t budget = ReplyBudget(request.size());

    std::string reply =
        Joined(publicAddress, serverAddress, HostNameOf(*server, source), publicCountry, serverCountry, warning);
    if (reply.size() <= budget)
        return reply;
    reply = Joined(publicAddress, serverAddress, serverAddress, publicCountry, serverCountry, warning);
    if (reply.size() <= budget)
        return reply;
    return std::nullopt;
}

}  // namespace quillcrest::lookupd
