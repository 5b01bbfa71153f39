#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/ipv4_address.h"
#include "netconfig/dns_change_outcome.h"
#include "netconfig/ip_helper_answer.h"

namespace quillcrest {

// A change that needs administrator rights, as a copy of the program started with "runas" carries it out.
// It travels on that copy's command line, which is outside input to a process with full rights: the text
// form below is the only one accepted, and nothing in it names a file, a key or a program.
//
//   /set-dns {GUID}=a.b.c.d,a.b.c.d {GUID}=        one to kMostActionAssignments adapters, each with 0 to 3
//                                                  dotted IPv4 servers (none: back to DHCP)
//   /write-run-value                               the start-with-Windows value, naming the running executable
//   /delete-run-value                              the start-with-Windows value goes
//   /allow-dns-list a.b.c.d,a.b.c.d                one DNS server list joins the allowed list beside the
//   /allow-dns-list                                executable (alone: the empty list, a machine without servers)
//   /keep-dns-baseline                             the DNS settings as that run reads them become the baseline
//                                                  beside the executable (it takes no data from the caller)
//   /undo-dns-changes                              the DNS settings go back to the baseline beside the executable
//                                                  (it takes no data from the caller: what it puts back is only ever
//                                                  read from that file)
//
// Tokens are separated by exactly one blank; no quotes, no other separators, no further arguments, and no byte
// outside printable ASCII anywhere.
enum class PrivilegedActionKind {
    kSetDnsServers,
    kWriteRunValue,
    kDeleteRunValue,
    kAllowDnsList,
    kKeepDnsBaseline,
    kUndoDnsChanges
};

struct PrivilegedAction {
    PrivilegedActionKind kind = PrivilegedActionKind::kSetDnsServers;
    std::vector<DnsAssignment> assignments;  // only for kSetDnsServers
    // Only for kAllowDnsList: canonical dotted IPv4 addresses joined by "," without blanks, as the program reads
    // the machine's list; empty for a machine without DNS servers.
    std::string dnsList;

    bool operator==(const PrivilegedAction& other) const {
        return kind == other.kind && assignments == other.assignments && dnsList == other.dnsList;
    }
};

// At most this many adapters in one run: each refused one is named in a bit of the run's exit code.
constexpr std::size_t kMostActionAssignments = 24;
// A list for the allowed list holds at most this many servers. The program reads the machine's list from
// GetNetworkParams, whose server chain it follows for at most kMaxChainEntries entries (the platform itself sets
// no number), so no list the program can accept is longer.
constexpr std::size_t kMostAllowedListServers = kMaxChainEntries;
// The longest dotted IPv4 address, "255.255.255.255".
constexpr std::size_t kLongestDottedIpv4Chars = 15;
// Longer argument texts are refused before they are read. The longest valid one is a full list for the allowed
// list: the verb, a blank, and each server with a comma after all but the last.
constexpr std::size_t kMostActionArgumentChars =
    sizeof("/allow-dns-list ") - 1 + kMostAllowedListServers * (kLongestDottedIpv4Chars + 1) - 1;
// Windows takes command lines of at most 32767 characters; the program's quoted path (at most 260 characters)
// and a blank go before the arguments.
static_assert(kMostActionArgumentChars + 260 + 3 < 32767, "the longest action must fit on a command line");

// True for an interface identifier in its braced form, {8-4-4-4-12 hexadecimal digits}.
bool IsBracedGuid(std::string_view text);
// True for a DNS server list in the allowed list's form that the elevated run accepts: "" or one to
// kMostAllowedListServers canonical dotted IPv4 addresses (IsCanonicalDottedIpv4) joined by single commas.
bool IsAllowableDnsList(std::string_view text);

// The argument text for an action; the action must be one that ParseActionArguments accepts.
std::string FormatActionArguments(const PrivilegedAction& action);
// The action the argument text names, or nullopt for any text that is not exactly one valid action.
std::optional<PrivilegedAction> ParseActionArguments(std::string_view arguments);

// The arguments part of a process's whole command line: what follows the program name (quoted or not) and the
// blanks after it.
std::string_view ArgumentsAfterProgramName(std::string_view commandLine);

}  // namespace quillcrest
