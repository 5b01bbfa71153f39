// Feeds arbitrary argument texts to the parser of the elevated run's command line and checks what must hold for
// every input: an accepted text is exactly the one its action formats to, holds only printable ASCII, and every
// accepted value is within its limits (braced identifiers, at most three canonical IPv4 servers, a bounded number
// of adapters; an allowed-list entry of canonical IPv4 servers joined by single commas, bounded in number), and the
// orders that take no data (the run value's, the baseline's, the undo's) are their verb alone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "elevation/privileged_action.h"

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const auto action = quillcrest::ParseActionArguments(input);
    // The same text behind a program name reaches the parser unchanged.
    Require(quillcrest::ArgumentsAfterProgramName("\"C:\\Program Files\\Quillcrest.exe\" " + input).size() <=
            input.size());
    if (!action)
        return 0;
    Require(input.size() <= quillcrest::kMostActionArgumentChars);
    Require(quillcrest::FormatActionArguments(*action) == input);
    for (const char c : input)
        Require(c >= ' ' && c <= '~');
    if (action->kind != quillcrest::PrivilegedActionKind::kAllowDnsList)
        Require(action->dnsList.empty());
    if (action->kind == quillcrest::PrivilegedActionKind::kAllowDnsList) {
        Require(action->assignments.empty());
        Require(quillcrest::IsAllowableDnsList(action->dnsList));
        std::size_t servers = action->dnsList.empty() ? 0 : 1;
        for (std::size_t at = 0; at < action->dnsList.size(); ++at) {
            const char c = action->dnsList[at];
            Require((c >= '0' && c <= '9') || c == '.' || c == ',');
            if (c == ',') {
                Require(at > 0 && at + 1 < action->dnsList.size() && action->dnsList[at - 1] != ',');
                ++servers;
            }
        }
        Require(servers <= quillcrest::kMostAllowedListServers);
        return 0;
    }
    if (action->kind != quillcrest::PrivilegedActionKind::kSetDnsServers) {
        // The orders without data (the run value's, the undo's) are their verb alone: nothing can ride on them.
        Require(action->assignments.empty());
        Require(input.find(' ') == std::string::npos);
        return 0;
    }
    Require(!action->assignments.empty() && action->assignments.size() <= quillcrest::kMostActionAssignments);
    for (const quillcrest::DnsAssignment& assignment : action->assignments) {
        Require(quillcrest::IsBracedGuid(assignment.settingId));
        Require(assignment.servers.size() <= quillcrest::kMostServersPerAdapter);
        for (const std::string& server : assignment.servers)
            Require(quillcrest::IsCanonicalDottedIpv4(server));
    }
    return 0;
}
