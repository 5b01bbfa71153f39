#pragma once

#include <string>
#include <vector>

#include "resolution/resolution_settings.h"

namespace quillcrest {

// What changed, as a person names it.
enum class DifferenceKind {
    Ipv6DnsServers,            // "IPv6 DNS servers"
    NewAdapterWithDnsServers,  // "network adapter with DNS servers"
    NameResolutionRule,        // "name resolution rule"
    PolicyDnsServers,          // "policy DNS servers"
    EncryptedDnsTemplate,      // "encrypted DNS template"
    EncryptedDnsPolicy,        // "encrypted DNS policy"
    HostsFile,                 // "hosts file"
    HostsFileLocation,         // "hosts file location"
};

enum class DifferenceChange { Added, Removed, Changed };

// Where a DNS server list comes from.
enum class ServerOrigin {
    // Not a DNS server list of an adapter.
    NotServers,
    // A static "NameServer" value under the adapter's Tcpip6 key.
    SetOnThisPc,
    // No static value: handed out by the network, through DHCPv6 or a router advertisement.
    FromNetwork,
};

// What a later "Undo" needs to find the data of one place of a difference (no undo logic here).
struct UndoTarget {
    enum class Kind {
        // An adapter's IPv6 servers: adapterId, and keyPath and valueName of its static "NameServer" value.
        AdapterServers,
        // A whole adapter that is new: adapterId.
        Adapter,
        // A registry key under HKEY_LOCAL_MACHINE with every value of it: keyPath.
        RegistryKey,
        // One registry value: keyPath and valueName.
        RegistryValue,
        // One host name of the hosts file at filePath: hostName.
        HostName,
        // The whole hosts file at filePath.
        HostsFileWhole,
    };
    Kind kind = Kind::RegistryValue;
    std::string adapterId;
    // Where the data stood in the model, for the registry kinds: FindKey(settings.store(store), itemPath) in
    // the baseline finds what to put back (nothing there: the key or value was added, and goes again).
    RegistryStore store = RegistryStore::StaticIpv6Servers;
    std::string itemPath;
    // The same place as a key under HKEY_LOCAL_MACHINE.
    std::string keyPath;
    std::string valueName;
    std::string hostName;
    std::string filePath;

    friend bool operator==(const UndoTarget& a, const UndoTarget& b) {
        return a.kind == b.kind && a.adapterId == b.adapterId && a.store == b.store && a.itemPath == b.itemPath &&
               a.keyPath == b.keyPath && a.valueName == b.valueName && a.hostName == b.hostName &&
               a.filePath == b.filePath;
    }
};

// One difference between the baseline and the current settings. The same change on several adapters (or in
// both rule stores) is one difference whose places name them all, with one undo target per place.
struct ResolutionDifference {
    DifferenceKind kind = DifferenceKind::Ipv6DnsServers;
    DifferenceChange change = DifferenceChange::Changed;
    // What the change is about within its kind: the rule's namespace, the host name, the encrypted-DNS server's
    // address; empty where the places say it all.
    std::string subject;
    // Where: adapters' connection names, the rule store ("policy rules", "local rules"), "group policy".
    std::vector<std::string> places;
    // Readable summaries: a server list, a rule's servers, a template address, the addresses of a host name,
    // "none".
    std::string before;
    std::string after;
    ServerOrigin origin = ServerOrigin::NotServers;
    // False when the data to put back is not known: a hosts file over kHostsFileParseLimit bytes is recorded by
    // its digest only.
    bool undoable = true;
    std::vector<UndoTarget> undoTargets;
};

// Where an adapter's IPv6 servers come from in settings: SetOnThisPc when its Tcpip6 key holds a static
// "NameServer" value naming at least one server, FromNetwork otherwise.
ServerOrigin Ipv6ServerOrigin(const ResolutionSettings& settings, const std::string& adapterId);

// The differences of current against baseline, in the order of the sources: adapters, static IPv6 servers,
// policy servers and encrypted-DNS policy, rules, encrypted-DNS templates, hosts file location, hosts file.
// Identical differences on several places are merged. A place that could not be read on either side (an
// unreadable key and everything beneath it, adapters that could not be listed, an unreadable hosts file) gives
// no difference: it is neither added nor removed. The IPv4 servers of an adapter found on both sides are never
// compared; they are the business of the existing check.
std::vector<ResolutionDifference> CompareResolutionSettings(const ResolutionSettings& baseline,
                                                            const ResolutionSettings& current);

// The places that could not be read in settings, named for a person ("adapters", a store's key path plus the
// item, "hosts file C:\..."), so a caller can say what it could not check.
std::vector<std::string> UnreadablePlaces(const ResolutionSettings& settings);

// "IPv6 DNS servers", "name resolution rule", ...
const char* DifferenceKindText(DifferenceKind kind);
// "set on this PC", "handed out by the network (DHCPv6 or a router advertisement)"; empty for NotServers.
const char* ServerOriginText(ServerOrigin origin);
// A setting as a person names it: its kind, its subject in quotes and its places in quotes and parentheses, for
// example `name resolution rule ".corp.example" ("policy rules")`.
std::string SettingName(DifferenceKind kind, const std::string& subject, const std::vector<std::string>& places);
// One line for a person, for example:
//   IPv6 DNS servers of "Ethernet", "Wi-Fi": was fd00::53, now fd00::66 (handed out by the network (DHCPv6 or a
//   router advertisement))
//   hosts file, "bank.example": was none, now 203.0.113.7
std::string DescribeDifference(const ResolutionDifference& difference);

}  // namespace quillcrest
