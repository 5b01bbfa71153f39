#include "elevation/privileged_action.h"

#include <array>
#include <utility>

namespace quillcrest {
namespace {

constexpr char kSetDnsAction[] = "/set-dns";
constexpr char kWriteRunValueAction[] = "/write-run-value";
constexpr char kDeleteRunValueAction[] = "/delete-run-value";
constexpr char kAllowDnsListAction[] = "/allow-dns-list";
constexpr char kUndoDnsChangesAction[] = "/undo-dns-changes";
constexpr char kKeepDnsBaselineAction[] = "/keep-dns-baseline";
constexpr char kTokenSeparator = ' ';
constexpr char kIdSeparator = '=';
constexpr char kServerSeparator = ',';
// The dash positions of {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, counted from the opening brace.
constexpr std::array<std::size_t, 4> kGuidDashes = {9, 14, 19, 24};
constexpr std::size_t kBracedGuidChars = 38;
// The printable ASCII characters, blank to tilde: every character of a valid action is one of them.
constexpr char kFirstPrintable = ' ';
constexpr char kLastPrintable = '~';

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The command line arrives converted from UTF-16, so a look-alike such as a fullwidth digit is a run of bytes
// above 127 here; no valid action holds one, nor a control character.
bool AllPrintableAscii(std::string_view text) {
    for (const char c : text) {
        if (c < kFirstPrintable || c > kLastPrintable)
            return false;
    }
    return true;
}

// Splits at every separator; empty pieces stay, so doubled separators show up as empty tokens.
std::vector<std::string_view> SplitAt(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::optional<DnsAssignment> ParseAssignment(std::string_view token) {
    const std::size_t equals = token.find(kIdSeparator);
    if (equals == std::string_view::npos)
        return std::nullopt;
    const std::string_view id = token.substr(0, equals);
    const std::string_view serverText = token.substr(equals + 1);
    if (!IsBracedGuid(id))
        return std::nullopt;
    DnsAssignment assignment{std::string(id), {}};
    if (serverText.empty())
        return assignment;
    const std::vector<std::string_view> servers = SplitAt(serverText, kServerSeparator);
    if (servers.size() > kMostServersPerAdapter)
        return std::nullopt;
    for (const std::string_view server : servers) {
        if (!IsCanonicalDottedIpv4(server))
            return std::nullopt;
        assignment.servers.emplace_back(server);
    }
    return assignment;
}

}  // namespace

bool IsBracedGuid(std::string_view text) {
    if (text.size() != kBracedGuidChars || text.front() != '{' || text.back() != '}')
        return false;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        const bool dashPlace = i == kGuidDashes[0] || i == kGuidDashes[1] || i == kGuidDashes[2] || i == kGuidDashes[3];
        if (dashPlace ? text[i] != '-' : !IsHexDigit(text[i]))
            return false;
    }
    return true;
}

bool IsAllowableDnsList(std::string_view text) {
    if (text.empty())
        return true;
    const std::vector<std::string_view> servers = SplitAt(text, kServerSeparator);
    if (servers.size() > kMostAllowedListServers)
        return false;
    for (const std::string_view server : servers) {
        if (!IsCanonicalDottedIpv4(server))
            return false;
    }
    return true;
}

std::string FormatActionArguments(const PrivilegedAction& action) {
    switch (action.kind) {
        case PrivilegedActionKind::kWriteRunValue:
            return kWriteRunValueAction;
        case PrivilegedActionKind::kDeleteRunValue:
            return kDeleteRunValueAction;
        case PrivilegedActionKind::kUndoDnsChanges:
            return kUndoDnsChangesAction;
        case PrivilegedActionKind::kKeepDnsBaseline:
            return kKeepDnsBaselineAction;
        case PrivilegedActionKind::kAllowDnsList:
            return action.dnsList.empty() ? std::string(kAllowDnsListAction)
                                          : kAllowDnsListAction + std::string(1, kTokenSeparator) + action.dnsList;
        case PrivilegedActionKind::kSetDnsServers:
            break;
    }
    std::string text = kSetDnsAction;
    for (const DnsAssignment& assignment : action.assignments) {
        text += kTokenSeparator;
        text += assignment.settingId;
        text += kIdSeparator;
        for (std::size_t i = 0; i < assignment.servers.size(); ++i) {
            if (i > 0)
                text += kServerSeparator;
            text += assignment.servers[i];
        }
    }
    return text;
}

std::optional<PrivilegedAction> ParseActionArguments(std::string_view arguments) {
    if (arguments.empty() || arguments.size() > kMostActionArgumentChars || !AllPrintableAscii(arguments))
        return std::nullopt;
    const std::vector<std::string_view> tokens = SplitAt(arguments, kTokenSeparator);
    const std::string_view name = tokens.front();
    // The orders that take nothing after their name.
    for (const auto& [verb, kind] : {std::pair{kWriteRunValueAction, PrivilegedActionKind::kWriteRunValue},
                                     std::pair{kDeleteRunValueAction, PrivilegedActionKind::kDeleteRunValue},
                                     std::pair{kKeepDnsBaselineAction, PrivilegedActionKind::kKeepDnsBaseline},
                                     std::pair{kUndoDnsChangesAction, PrivilegedActionKind::kUndoDnsChanges}}) {
        if (name == verb)
            return tokens.size() == 1 ? std::optional(PrivilegedAction{kind, {}, {}}) : std::nullopt;
    }
    if (name == kAllowDnsListAction) {
        // The empty list is the verb alone: a blank after it with nothing behind is no list at all.
        if (tokens.size() > 2 || (tokens.size() == 2 && tokens[1].empty()))
            return std::nullopt;
        const std::string_view list = tokens.size() == 2 ? tokens[1] : std::string_view();
        if (!IsAllowableDnsList(list))
            return std::nullopt;
        return PrivilegedAction{PrivilegedActionKind::kAllowDnsList, {}, std::string(list)};
    }
    if (name != kSetDnsAction || tokens.size() < 2 || tokens.size() - 1 > kMostActionAssignments)
        return std::nullopt;
    PrivilegedAction action{PrivilegedActionKind::kSetDnsServers, {}, {}};
    for (std::size_t i = 1; i < tokens.size(); ++i) {
        std::optional<DnsAssignment> assignment = ParseAssignment(tokens[i]);
        if (!assignment)
            return std::nullopt;
        action.assignments.push_back(std::move(*assignment));
    }
    return action;
}

std::string_view ArgumentsAfterProgramName(std::string_view commandLine) {
    std::size_t position = 0;
    if (!commandLine.empty() && commandLine.front() == '"') {
        const std::size_t closing = commandLine.find('"', 1);
        position = closing == std::string_view::npos ? commandLine.size() : closing + 1;
    } else {
        while (position < commandLine.size() && commandLine[position] != ' ' && commandLine[position] != '\t')
            ++position;
    }
    while (position < commandLine.size() && (commandLine[position] == ' ' || commandLine[position] == '\t'))
        ++position;
    return commandLine.substr(position);
}

}  // namespace quillcrest
