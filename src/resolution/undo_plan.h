#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "resolution/resolution_comparison.h"
#include "resolution/resolution_settings.h"

namespace quillcrest {

// "Undo": what puts the baseline back for every difference the wider check lists. The plan is made from the
// baseline and the settings read now; it names each change as a person reads it and holds exactly the data to
// write, taken from the baseline alone (registry data as type and bytes, the hosts file as its bytes and path).
// Key paths are the stores' own keys (registry_stores.h) joined with item paths that IsStoreItemPath accepts, so
// no text of the baseline or of the registry can name a key outside a store's items; the item path of a key or
// value to delete comes from the settings read now, since the baseline never held it.
//
// The rules, per kind of difference:
//  - IPv6 DNS servers of an adapter: the baseline's static servers for it ("NameServer" under its Tcpip6 key),
//    or automatic servers where the baseline had none set on this PC. When the servers now come from the network
//    (no static value now) and the baseline had none set either, nothing can be done by program: automatic
//    servers are what the adapter has already, and the network hands the same server out again at once; the
//    difference is left alone and said so.
//  - A network adapter that is new since the baseline: nothing to put back; left alone and said so.
//  - Name resolution rules and encrypted-DNS templates (a key per item): a key the baseline did not hold is
//    deleted with its subkeys; a key it held gets every value of the baseline back exactly, and the values it
//    holds now that the baseline did not are deleted.
//  - Policy DNS servers, encrypted-DNS policy, the hosts file location (one value each): the baseline's value
//    back exactly, or deleted where the baseline had none.
//  - The hosts file: the baseline's bytes written back whole to the baseline's path (deleted where the baseline
//    had no file). A file over kHostsFileParseLimit bytes was kept by its digest only and cannot be written back.
//    It is always the last item, so a changed location is put back first (see undo_executor.h).
//  - A registry value the baseline kept by its size only (over kLongestRegistryValue) cannot be put back.
// One "Undo" carries out at most kMostUndoItems items; the rest are left for the next one.

// The most items one "Undo" carries out: an elevated run reports each one's outcome in the bits of its exit code
// (undo_outcome_code.h). The items after it are left alone for this time and named in the texts; the next
// "Undo" finds them still different and takes them.
constexpr std::size_t kMostUndoItems = 12;

// An adapter's IPv6 DNS servers, set through the system's interface settings.
struct SetAdapterIpv6Servers {
    std::string adapterId;
    // In order; none puts the adapter back on automatic servers.
    std::vector<std::string> servers;
};

// A key under HKEY_LOCAL_MACHINE with every value of it.
struct RestoreRegistryKey {
    std::string keyPath;
    // The values the key gets back; nullopt deletes the key with everything beneath it.
    std::optional<std::vector<RegistryValue>> values;
    // Values the key holds now that the baseline did not, deleted.
    std::vector<std::string> valuesToDelete;
};

// One value under HKEY_LOCAL_MACHINE.
struct RestoreRegistryValue {
    std::string keyPath;
    std::string valueName;
    // The value put back; nullopt deletes it.
    std::optional<RegistryValue> value;
};

// The hosts file.
struct RestoreHostsFile {
    // The baseline's path.
    std::string path;
    // The baseline's content, written back byte for byte; null deletes the file.
    std::shared_ptr<const HostsFileContent> content;
};

using UndoAction = std::variant<SetAdapterIpv6Servers, RestoreRegistryKey, RestoreRegistryValue, RestoreHostsFile>;

struct UndoItem {
    // The setting as a person names it, in the form of DescribeDifference: `IPv6 DNS servers ("Ethernet")`,
    // `name resolution rule ".corp.example" ("policy rules")`, `hosts file ("C:\...\hosts")`.
    std::string setting;
    // What will be done, and what was done: "set back to fd00::53" / "set back to fd00::53", "delete it" /
    // "deleted", "write back its recorded content (30 bytes)" / "written back (30 bytes)".
    std::string toDo;
    std::string done;
    // A setting of group policy, which the organisation's policy may write again.
    bool byPolicy = false;
    UndoAction action;
};

// Why a difference is left as it is.
enum class UndoImpossibility : std::uint8_t {
    // The adapter's IPv6 servers come from the network and the baseline set none on this PC.
    ServersFromNetwork,
    // A network adapter new since the baseline.
    NewAdapter,
    // The baseline kept the hosts file by its digest only.
    HostsFileTooLarge,
    // The baseline kept a registry value by its size only.
    ValueKeptBySizeOnly,
    // The difference names a key or value that is no item of its store.
    NotAStoreItem,
    // Beyond kMostUndoItems: left for the next "Undo".
    BeyondOneUndo,
};

struct UndoLeftAlone {
    std::string setting;
    UndoImpossibility why = UndoImpossibility::NewAdapter;
    // ServersFromNetwork: the servers the network hands out now ("fd00::bad, fd00::bae").
    std::string servers;
};

struct UndoPlan {
    // In the order they are carried out; at most kMostUndoItems.
    std::vector<UndoItem> items;
    std::vector<UndoLeftAlone> leftAlone;
};

// The plan that puts baseline back for each of differences (CompareResolutionSettings(baseline, current)).
UndoPlan MakeUndoPlan(const ResolutionSettings& baseline,
                      const ResolutionSettings& current,
                      const std::vector<ResolutionDifference>& differences);

// Whether any item is a setting of group policy.
bool TouchesPolicy(const UndoPlan& plan);

}  // namespace quillcrest
