// Feeds arbitrary datagrams to the responder and arbitrary text to the rogue list reader.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>

#include "ipv4.h"
#include "lookup_responder.h"
#include "rogue_list.h"

namespace {

using namespace quillcrest::lookupd;

void Require(bool condition) {
    if (!condition)
        std::abort();
}

class NoCountries : public CountryLookup {
  public:
    std::optional<std::string> CountryOf(std::uint32_t) override { return std::nullopt; }
};

// Gives the request's own bytes back as a name, so hostile names reach the reply check.
class EchoNames : public HostNameResolver {
  public:
    std::optional<std::string> name;
    std::optional<std::string> NameOf(std::uint32_t) override { return name; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    RogueList rogueList;
    try {
        rogueList = RogueList::Parse(input);
        for (const RogueList::Entry& entry : rogueList.entries()) {
            Require(entry.warning.size() <= kLongestWarning);
            Require(entry.warning.find(';') == std::string::npos);
        }
    } catch (const std::runtime_error&) {
    }

    NoCountries countries;
    EchoNames names;
    names.name = input;
    LookupResponder responder(rogueList, countries, names);
    const std::optional<std::string> reply = responder.Answer(0xCB007107, input);
    const std::optional<std::uint32_t> address = ParseDottedAddress(input);
    if (address)
        Require(FormatDottedAddress(*address) == input);
    if (reply) {
        Require(address.has_value());
        Require(reply->size() <= ReplyBudget(size));
        std::size_t delimiters = 0;
        for (char c : *reply)
            delimiters += c == ';';
        Require(delimiters == 5);
    }
    return 0;
}
