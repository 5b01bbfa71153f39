#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "netconfig/dns_change_outcome.h"

namespace quillcrest {

// A change that needs administrator rights, as a copy of the program started with "runas" carries it out.
// It travels on that copy's command line, which is outside input to a process with full rights: the text
// form below is the only one accepted, and nothing in it names a file, a key or a program.
//
//   /set-dns {GUID}=a.b.c.d,a.b.c.d {GUID}=        one to kMostActionAssignments adapters, each with 0 to 3
//                                                  dotted IPv4 servers (none: back to DHCP)
//   /write-run-value                               the start-with-Windows value, naming the running executable
//   /delete-run-value                              the start-with-Windows value goes
//   /allow-dns-list a.b.c.d,a.b.c.d                the DNS server list is appended to the allowed list's file
//   /allow-dns-list                                of the program's folder (alone: the empty list)
//
// Tokens are separated by exactly one blank; no quotes, no other separators, no further arguments.
enum class PrivilegedActionKind { kSetDnsServers, kWriteRunValue, kDeleteRunValue, kAllowDnsList };

struct PrivilegedAction {
    PrivilegedActionKind kind = PrivilegedActionKind::kSetDnsServers;
    std::vector<DnsAssignment> assignments;  // only for kSetDnsServers
    std::string dnsList;                     // only for kAllowDnsList: dotted IPv4 addresses joined by ","

    bool operator==(const PrivilegedAction& other) const {
        return kind == other.kind && assignments == other.assignments && dnsList == other.dnsList;
    }
};

// At most this many adapters in one run: each refused one is named in a bit of the run's exit code.
constexpr std::size_t kMostActionAssignments = 24;
// An adapter takes at most this many servers.
constexpr std::size_t kMostActionServers = 3;
// Longer argument texts are refused before they are read: the longest valid one is far shorter.
constexpr std::size_t kMostActionArgumentChars = 4096;

// True for an interface identifier in its braced form, {8-4-4-4-12 hexadecimal digits}.
bool IsBracedGuid(std::string_view text);
// True for an IPv4 address in its one dotted-decimal spelling (no leading zeros, no other forms).
bool IsCanonicalDottedIpv4(std::string_view text);

// The argument text for an action; the action must be one that ParseActionArguments accepts.
std::string FormatActionArguments(const PrivilegedAction& action);
// The action the argument text names, or nullopt for any text that is not exactly one valid action.
std::optional<PrivilegedAction> ParseActionArguments(std::string_view arguments);

// The arguments part of a process's whole command line: what follows the program name (quoted or not) and the
// blanks after it.
std::string_view ArgumentsAfterProgramName(std::string_view commandLine);

}  // namespace quillcrest
