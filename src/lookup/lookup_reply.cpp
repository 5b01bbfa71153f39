#include "lookup/lookup_reply.h"

#include "settings/text_search.h"

namespace quillcrest {
namespace {

constexpr char kFieldDelimiter[] = ";";
constexpr unsigned char kHighestTrimmedCode = 32;
constexpr char kPrivateWarning[] = "None";

// The service describes addresses on the asker's own network as well as it can, but a warning about them would
// only alarm: they cannot be rogue servers on the Internet. The test is a plain text prefix, so every 192. address
// counts, and 172.16/12 does not.
constexpr const char* kPrivatePrefixes[] = {"127.", "192.", "10."};

bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= kHighestTrimmedCode;
}

bool IsPrivateServerAddress(const std::string& address) {
    for (const char* prefix : kPrivatePrefixes) {
        if (PosFrom(address, prefix, 1) == 1)
            return true;
    }
    return false;
}

}  // namespace

std::string TrimReply(const std::string& reply) {
    std::size_t first = 0;
    std::size_t end = reply.size();
    while (first < end && IsTrimmed(reply[first]))
        ++first;
    while (end > first && IsTrimmed(reply[end - 1]))
        --end;
    return reply.substr(first, end - first);
}

LookupResult ParseLookupReply(const std::string& reply) {
    LookupResult result;
    const std::string text = TrimReply(reply);
    if (text.size() <= kLongestUnverifiedReply) {
        result.Outcome = LookupOutcome::Unverified;
        return result;
    }
    result.Outcome = LookupOutcome::Answered;
    LookupAnswer& answer = result.Answer;
    int pos = 1;
    answer.PublicAddress = NextField(text, kFieldDelimiter, pos);
    answer.ServerAddress = NextField(text, kFieldDelimiter, pos);
    answer.ServerHostName = NextField(text, kFieldDelimiter, pos);
    answer.PublicCountry = NextField(text, kFieldDelimiter, pos);
    answer.ServerCountry = NextField(text, kFieldDelimiter, pos);
    answer.Warning =
        IsPrivateServerAddress(answer.ServerAddress) ? kPrivateWarning : NextField(text, kFieldDelimiter, pos);
    return result;
}

}  // namespace quillcrest
