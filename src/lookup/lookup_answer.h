#pragma once

#include <string>

namespace quillcrest {

// How one exchange with the lookup service ended.
enum class LookupOutcome {
    Unreachable,  // no lookup host, or resolving, sending or receiving failed
    Unverified,   // the exchange ran, but the reply was empty (timeout) or too short to hold an answer
    Answered,     // the reply was long enough and has been read into a LookupAnswer
};

// One reply of the lookup service, field by field; filled only for LookupOutcome::Answered.
struct LookupAnswer {
    std::string PublicAddress;   // the asking computer's public address
    std::string ServerAddress;   // the DNS server's address
    std::string ServerHostName;  // the DNS server's host name
    std::string PublicCountry;   // the asking computer's country
    std::string ServerCountry;   // the DNS server's country
    std::string Warning;         // the service's warning, "none" when it knows none
};

// The outcome of one exchange together with its answer.
struct LookupResult {
    LookupOutcome Outcome = LookupOutcome::Unreachable;
    LookupAnswer Answer;
    // The DNS server's address as the program sent it, from its own configuration. Unlike Answer.ServerAddress,
    // which is whatever the reply says, it can be trusted to become a DNS server list.
    std::string AskedServer;
};

}  // namespace quillcrest
