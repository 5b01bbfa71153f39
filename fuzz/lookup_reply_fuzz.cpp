// Feeds arbitrary datagrams to the lookup reply parser and checks what must hold for every reply.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lookup/lookup_reply.h"

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);
    const std::string trimmed = quillcrest::TrimReply(reply);
    Require(trimmed.size() <= reply.size());
    Require(quillcrest::TrimReply(trimmed) == trimmed);

    const quillcrest::LookupResult result = quillcrest::ParseLookupReply(reply);
    if (trimmed.size() <= quillcrest::kLongestUnverifiedReply) {
        Require(result.Outcome == quillcrest::LookupOutcome::Unverified);
        return 0;
    }
    Require(result.Outcome == quillcrest::LookupOutcome::Answered);
    const quillcrest::LookupAnswer& answer = result.Answer;
    // Every field is a piece of the trimmed reply.
    const std::size_t total = answer.PublicAddress.size() + answer.ServerAddress.size() + answer.ServerHostName.size() +
                              answer.PublicCountry.size() + answer.ServerCountry.size() + answer.Warning.size();
    Require(total <= trimmed.size() + 4);
    Require(trimmed.find(answer.PublicAddress) == 0);
    const bool privateServer = StartsWith(answer.ServerAddress, "127.") || StartsWith(answer.ServerAddress, "192.") ||
                               StartsWith(answer.ServerAddress, "10.");
    if (privateServer)
        Require(answer.Warning == "None");
    else
        Require(answer.Warning.empty() || trimmed.find(answer.Warning) != std::string::npos);
    return 0;
}
