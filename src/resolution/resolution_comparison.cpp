#include "resolution/resolution_comparison.h"

#include <functional>
#include <set>
#include <utility>

#include "base/ascii_case.h"
#include "resolution/registry_value_text.h"

namespace quillcrest {
namespace {

constexpr char kNone[] = "none";
constexpr char kStaticServersValue[] = "NameServer";
constexpr char kRuleNamespaceValue[] = "Name";
constexpr char kRuleServersValue[] = "GenericDNSServers";
constexpr char kWellKnownTemplateValue[] = "Template";
constexpr char kInterfaceTemplateValue[] = "DohTemplate";
constexpr char kPolicyServersValue[] = "NameServer";
constexpr char kPolicyDohValue[] = "DoHPolicy";
constexpr char kDatabasePathValue[] = "DataBasePath";
constexpr char kGroupPolicyPlace[] = "group policy";
constexpr char kPolicyRulesPlace[] = "policy rules";
constexpr char kLocalRulesPlace[] = "local rules";
// Host names named one by one; a change of more names (a blocking list replaced) adds one difference for the
// rest of the file instead of thousands of lines.
constexpr std::size_t kHostNamesNamedOneByOne = 20;

std::string JoinedList(const std::vector<std::string>& items) {
    if (items.empty())
        return kNone;
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : ", ") + item;
    return text;
}

bool SameList(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!EqualIgnoringAsciiCase(a[i], b[i]))
            return false;
    }
    return true;
}

bool SameValue(const RegistryValue* a, const RegistryValue* b) {
    if (!a || !b)
        return !a && !b;
    return a->type == b->type && a->data == b->data && a->oversizeBytes == b->oversizeBytes;
}

const std::vector<RegistryValue>& NoValues() {
    static const std::vector<RegistryValue> none;
    return none;
}

// A key's values that count; none for a key that is not there.
const std::vector<RegistryValue>& ValuesOf(const RegistryKeyRecord* key) {
    return key && key->state == ReadState::Read ? key->values : NoValues();
}

// Names of the values that differ between a and b, in the order a then b gives them.
std::vector<std::string> DifferingValueNames(const std::vector<RegistryValue>& a, const std::vector<RegistryValue>& b) {
    std::vector<std::string> names;
    auto note = [&names](const std::string& name) {
        for (const std::string& known : names) {
            if (EqualIgnoringAsciiCase(known, name))
                return;
        }
        names.push_back(name);
    };
    for (const RegistryValue& value : a) {
        if (!SameValue(&value, FindValue(b, value.name)))
            note(value.name);
    }
    for (const RegistryValue& value : b) {
        if (!SameValue(FindValue(a, value.name), &value))
            note(value.name);
    }
    return names;
}

std::string LastPart(const std::string& path) {
    const std::size_t separator = path.rfind('\\');
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string FirstPart(const std::string& path) {
    return path.substr(0, path.find('\\'));
}

bool IsSameOrBeneath(const std::string& path, const std::string& ancestor) {
    if (path.size() == ancestor.size())
        return EqualIgnoringAsciiCase(path, ancestor);
    return path.size() > ancestor.size() && path[ancestor.size()] == '\\' &&
           StartsWithIgnoringAsciiCase(path, ancestor);
}

// Whether nothing can be said about path in store: the store's key, or path or a key above it, could not be
// read.
bool IsUnknown(const RegistryStoreSnapshot& store, const std::string& path) {
    if (store.state == ReadState::Unreadable)
        return true;
    for (const RegistryKeyRecord& key : store.keys) {
        if (key.state == ReadState::Unreadable && IsSameOrBeneath(path, key.path))
            return true;
    }
    return false;
}

// Every item path of both stores once, in the order baseline then current gives them.
std::vector<std::string> ItemPaths(const RegistryStoreSnapshot& a, const RegistryStoreSnapshot& b) {
    std::vector<std::string> paths;
    std::set<std::string> seen;
    for (const RegistryStoreSnapshot* store : {&a, &b}) {
        for (const RegistryKeyRecord& key : store->keys) {
            if (key.state == ReadState::Read && seen.insert(AsciiLowerCase(key.path)).second)
                paths.push_back(key.path);
        }
    }
    return paths;
}

const AdapterDns* FindAdapter(const AdapterSnapshot& snapshot, const std::string& id) {
    for (const AdapterDns& adapter : snapshot.adapters) {
        if (EqualIgnoringAsciiCase(adapter.id, id))
            return &adapter;
    }
    return nullptr;
}

DifferenceChange ChangeOf(bool wasThere, bool isThere) {
    return !wasThere ? DifferenceChange::Added : !isThere ? DifferenceChange::Removed : DifferenceChange::Changed;
}

UndoTarget KeyTarget(RegistryStore store, const std::string& path) {
    UndoTarget target;
    target.kind = UndoTarget::Kind::RegistryKey;
    target.store = store;
    target.itemPath = path;
    target.keyPath = StoreItemKeyPath(store, path);
    return target;
}

UndoTarget ValueTarget(RegistryStore store, const std::string& path, const std::string& valueName) {
    UndoTarget target = KeyTarget(store, path);
    target.kind = UndoTarget::Kind::RegistryValue;
    target.valueName = valueName;
    return target;
}

UndoTarget AdapterServersTarget(const std::string& adapterId) {
    UndoTarget target = ValueTarget(RegistryStore::StaticIpv6Servers, adapterId, kStaticServersValue);
    target.kind = UndoTarget::Kind::AdapterServers;
    target.adapterId = adapterId;
    return target;
}

const RegistryValue* StaticServers(const ResolutionSettings& settings, const std::string& id) {
    const RegistryKeyRecord* key = FindKey(settings.store(RegistryStore::StaticIpv6Servers), id);
    return FindValue(ValuesOf(key), kStaticServersValue);
}

class Comparison {
  public:
    Comparison(const ResolutionSettings& baseline, const ResolutionSettings& current)
        : baseline_(baseline), current_(current) {}

    std::vector<ResolutionDifference> Run() {
        CompareAdapters();
        CompareStaticServers();
        ComparePolicyClient();
        CompareRules(RegistryStore::PolicyRules, kPolicyRulesPlace);
        CompareRules(RegistryStore::LocalRules, kLocalRulesPlace);
        CompareTemplates(RegistryStore::DohWellKnownServers, kWellKnownTemplateValue);
        CompareTemplates(RegistryStore::InterfaceDoh, kInterfaceTemplateValue);
        CompareHostsLocation();
        CompareHostsFile();
        return Merged();
    }

  private:
    // The connection name of an adapter, from either side; its identifier when neither knows it.
    std::string AdapterName(const std::string& id) const {
        for (const AdapterSnapshot* snapshot : {&current_.adapters, &baseline_.adapters}) {
            if (const AdapterDns* adapter = FindAdapter(*snapshot, id))
                return adapter->name.empty() ? id : adapter->name;
        }
        return id;
    }

    void Add(ResolutionDifference difference) { found_.push_back(std::move(difference)); }

    void CompareAdapters() {
        if (baseline_.adapters.state != ReadState::Read || current_.adapters.state != ReadState::Read)
            return;
        for (const AdapterDns& adapter : current_.adapters.adapters) {
            const AdapterDns* known = FindAdapter(baseline_.adapters, adapter.id);
            ResolutionDifference difference;
            if (known) {
                if (SameList(known->ipv6Servers, adapter.ipv6Servers))
                    continue;
                difference.kind = DifferenceKind::Ipv6DnsServers;
                difference.change = DifferenceChange::Changed;
                difference.before = JoinedList(known->ipv6Servers);
                difference.after = JoinedList(adapter.ipv6Servers);
                difference.undoTargets.push_back(AdapterServersTarget(adapter.id));
            } else {
                if (adapter.ipv4Servers.empty() && adapter.ipv6Servers.empty())
                    continue;
                difference.kind = DifferenceKind::NewAdapterWithDnsServers;
                difference.change = DifferenceChange::Added;
                difference.before = kNone;
                std::string after;
                if (!adapter.ipv4Servers.empty())
                    after = "IPv4 " + JoinedList(adapter.ipv4Servers);
                if (!adapter.ipv6Servers.empty())
                    after += (after.empty() ? "IPv6 " : "; IPv6 ") + JoinedList(adapter.ipv6Servers);
                difference.after = after;
                UndoTarget target;
                target.kind = UndoTarget::Kind::Adapter;
                target.adapterId = adapter.id;
                difference.undoTargets.push_back(target);
            }
            if (known || !adapter.ipv6Servers.empty())
                difference.origin = Ipv6ServerOrigin(current_, adapter.id);
            difference.places.push_back(adapter.name.empty() ? adapter.id : adapter.name);
            reportedAdapters_.insert(AsciiLowerCase(adapter.id));
            Add(std::move(difference));
        }
    }

    // A static value that changed without the adapter's list showing it (the adapter is not connected, or
    // Windows has not taken the value yet) is still a redirection waiting to happen.
    void CompareStaticServers() {
        const RegistryStoreSnapshot& before = baseline_.store(RegistryStore::StaticIpv6Servers);
        const RegistryStoreSnapshot& after = current_.store(RegistryStore::StaticIpv6Servers);
        for (const std::string& id : ItemPaths(before, after)) {
            if (reportedAdapters_.count(AsciiLowerCase(id)) || IsUnknown(before, id) || IsUnknown(after, id))
                continue;
            const RegistryValue* was = StaticServers(baseline_, id);
            const RegistryValue* is = StaticServers(current_, id);
            if (SameValue(was, is))
                continue;
            ResolutionDifference difference;
            difference.kind = DifferenceKind::Ipv6DnsServers;
            difference.change = ChangeOf(was != nullptr, is != nullptr);
            difference.before = was ? JoinedList(ServerListOf(*was)) : kNone;
            difference.after = is ? JoinedList(ServerListOf(*is)) : kNone;
            difference.origin = Ipv6ServerOrigin(current_, id);
            difference.places.push_back(AdapterName(id));
            difference.undoTargets.push_back(AdapterServersTarget(id));
            Add(std::move(difference));
        }
    }

    void ComparePolicyClient() {
        const RegistryStoreSnapshot& before = baseline_.store(RegistryStore::PolicyClient);
        const RegistryStoreSnapshot& after = current_.store(RegistryStore::PolicyClient);
        if (IsUnknown(before, "") || IsUnknown(after, ""))
            return;
        const struct {
            const char* valueName;
            DifferenceKind kind;
            bool servers;
        } values[] = {{kPolicyServersValue, DifferenceKind::PolicyDnsServers, true},
                      {kPolicyDohValue, DifferenceKind::EncryptedDnsPolicy, false}};
        for (const auto& policy : values) {
            const RegistryValue* was = FindValue(ValuesOf(FindKey(before, "")), policy.valueName);
            const RegistryValue* is = FindValue(ValuesOf(FindKey(after, "")), policy.valueName);
            if (SameValue(was, is))
                continue;
            auto shown = [&policy](const RegistryValue* value) {
                if (!value)
                    return std::string(kNone);
                return policy.servers ? JoinedList(ServerListOf(*value))
                                      : std::string(policy.valueName) + " " + ReadableValue(*value);
            };
            ResolutionDifference difference;
            difference.kind = policy.kind;
            difference.change = ChangeOf(was != nullptr, is != nullptr);
            difference.before = shown(was);
            difference.after = shown(is);
            difference.places.push_back(kGroupPolicyPlace);
            difference.undoTargets.push_back(ValueTarget(RegistryStore::PolicyClient, "", policy.valueName));
            Add(std::move(difference));
        }
    }

    // A summary of a key's values: its main part, then each other differing value by name, leaving out the
    // values the main part and the subject already show.
    static std::string KeySummary(const std::vector<RegistryValue>& values,
                                  const std::string& main,
                                  const std::vector<std::string>& shownElsewhere,
                                  const std::vector<std::string>& differing) {
        if (values.empty())
            return kNone;
        std::string summary = main;
        for (const std::string& name : differing) {
            bool shown = false;
            for (const std::string& other : shownElsewhere)
                shown = shown || EqualIgnoringAsciiCase(name, other);
            if (shown)
                continue;
            const RegistryValue* value = FindValue(values, name);
            summary += "; " + name + " " + (value ? ReadableValue(*value) : std::string(kNone));
        }
        return summary;
    }

    // Compares the item keys of store. The main value is shown first in each summary; the subject value (the
    // rule's namespace) is shown in the summaries only when it changed in a key found on both sides.
    void CompareKeys(RegistryStore store,
                     DifferenceKind kind,
                     const std::string& mainValueName,
                     const std::string& subjectValueName,
                     const std::function<std::string(const std::vector<RegistryValue>&)>& mainSummary,
                     const std::function<void(const std::string&,
                                              const std::vector<RegistryValue>&,
                                              const std::vector<RegistryValue>&,
                                              ResolutionDifference&)>& place) {
        const RegistryStoreSnapshot& before = baseline_.store(store);
        const RegistryStoreSnapshot& after = current_.store(store);
        for (const std::string& path : ItemPaths(before, after)) {
            if (IsUnknown(before, path) || IsUnknown(after, path))
                continue;
            const std::vector<RegistryValue>& was = ValuesOf(FindKey(before, path));
            const std::vector<RegistryValue>& is = ValuesOf(FindKey(after, path));
            const std::vector<std::string> differing = DifferingValueNames(was, is);
            if (differing.empty())
                continue;
            ResolutionDifference difference;
            difference.kind = kind;
            difference.change = ChangeOf(!was.empty(), !is.empty());
            std::vector<std::string> shownElsewhere{mainValueName};
            if (difference.change != DifferenceChange::Changed && !subjectValueName.empty())
                shownElsewhere.push_back(subjectValueName);
            difference.before = KeySummary(was, mainSummary(was), shownElsewhere, differing);
            difference.after = KeySummary(is, mainSummary(is), shownElsewhere, differing);
            place(path, was, is, difference);
            difference.undoTargets.push_back(KeyTarget(store, path));
            Add(std::move(difference));
        }
    }

    void CompareRules(RegistryStore store, const char* storePlace) {
        auto servers = [](const std::vector<RegistryValue>& values) {
            const RegistryValue* value = FindValue(values, kRuleServersValue);
            return value ? "servers " + JoinedList(ServerListOf(*value)) : std::string("no servers");
        };
        auto place = [storePlace](const std::string& path, const std::vector<RegistryValue>& was,
                                  const std::vector<RegistryValue>& is, ResolutionDifference& difference) {
            const RegistryValue* name = FindValue(is, kRuleNamespaceValue);
            if (!name)
                name = FindValue(was, kRuleNamespaceValue);
            difference.subject = name ? ReadableValue(*name) : LastPart(path);
            difference.places.push_back(storePlace);
        };
        CompareKeys(store, DifferenceKind::NameResolutionRule, kRuleServersValue, kRuleNamespaceValue, servers, place);
    }

    void CompareTemplates(RegistryStore store, const char* templateValue) {
        auto shownTemplate = [templateValue](const std::vector<RegistryValue>& values) {
            const RegistryValue* value = FindValue(values, templateValue);
            return value ? ReadableValue(*value) : std::string("no template");
        };
        const bool perAdapter = store == RegistryStore::InterfaceDoh;
        auto place = [this, perAdapter](const std::string& path, const std::vector<RegistryValue>&,
                                        const std::vector<RegistryValue>&, ResolutionDifference& difference) {
            difference.subject = LastPart(path);
            if (perAdapter)
                difference.places.push_back(AdapterName(FirstPart(path)));
        };
        CompareKeys(store, DifferenceKind::EncryptedDnsTemplate, templateValue, "", shownTemplate, place);
    }

    void CompareHostsLocation() {
        const RegistryStoreSnapshot& before = baseline_.store(RegistryStore::TcpipParameters);
        const RegistryStoreSnapshot& after = current_.store(RegistryStore::TcpipParameters);
        if (IsUnknown(before, "") || IsUnknown(after, ""))
            return;
        const RegistryValue* was = FindValue(ValuesOf(FindKey(before, "")), kDatabasePathValue);
        const RegistryValue* is = FindValue(ValuesOf(FindKey(after, "")), kDatabasePathValue);
        if (SameValue(was, is))
            return;
        auto shown = [](const RegistryValue* value) {
            return value ? ReadableValue(*value) : std::string("none (the default folder)");
        };
        ResolutionDifference difference;
        difference.kind = DifferenceKind::HostsFileLocation;
        difference.change = ChangeOf(was != nullptr, is != nullptr);
        difference.before = shown(was);
        difference.after = shown(is);
        difference.undoTargets.push_back(ValueTarget(RegistryStore::TcpipParameters, "", kDatabasePathValue));
        Add(std::move(difference));
    }

    static std::string FileSummary(const HostsFileSnapshot& hosts) {
        if (hosts.state == HostsFileState::Absent)
            return "no file";
        std::string summary = "a file of " + std::to_string(hosts.content->size) + " bytes";
        if (hosts.state == HostsFileState::TooLarge)
            summary += ", over 16 MiB: compared by its digest only";
        return summary;
    }

    void CompareHostsFile() {
        const HostsFileSnapshot& before = baseline_.hosts;
        const HostsFileSnapshot& after = current_.hosts;
        if (before.state == HostsFileState::Unreadable || after.state == HostsFileState::Unreadable)
            return;
        const bool wasThere = before.state != HostsFileState::Absent;
        const bool isThere = after.state != HostsFileState::Absent;
        if (wasThere && isThere && before.content->digest == after.content->digest)
            return;
        const std::string& filePath = after.path.empty() ? before.path : after.path;
        if (before.state == HostsFileState::TooLarge || after.state == HostsFileState::TooLarge) {
            ResolutionDifference difference;
            difference.kind = DifferenceKind::HostsFile;
            difference.change = ChangeOf(wasThere, isThere);
            difference.before = FileSummary(before);
            difference.after = FileSummary(after);
            difference.undoable = before.state != HostsFileState::TooLarge;
            difference.undoTargets.push_back(WholeFileTarget(filePath));
            Add(std::move(difference));
            return;
        }
        const HostAddresses was = wasThere ? AddressesByHostName(before.content->entries) : HostAddresses();
        const HostAddresses is = isThere ? AddressesByHostName(after.content->entries) : HostAddresses();
        std::vector<std::string> changedNames;
        auto wasIt = was.begin();
        auto isIt = is.begin();
        while (wasIt != was.end() || isIt != is.end()) {
            if (isIt == is.end() || (wasIt != was.end() && wasIt->first < isIt->first)) {
                changedNames.push_back(wasIt++->first);
            } else if (wasIt == was.end() || isIt->first < wasIt->first) {
                changedNames.push_back(isIt++->first);
            } else {
                if (wasIt->second != isIt->second)
                    changedNames.push_back(wasIt->first);
                ++wasIt;
                ++isIt;
            }
        }
        const std::vector<std::string> nothing;
        for (std::size_t i = 0; i < changedNames.size() && i < kHostNamesNamedOneByOne; ++i) {
            const std::string& name = changedNames[i];
            const auto wasAddresses = was.find(name);
            const auto isAddresses = is.find(name);
            ResolutionDifference difference;
            difference.kind = DifferenceKind::HostsFile;
            difference.change = ChangeOf(wasAddresses != was.end(), isAddresses != is.end());
            difference.subject = name;
            difference.before = JoinedList(wasAddresses != was.end() ? wasAddresses->second : nothing);
            difference.after = JoinedList(isAddresses != is.end() ? isAddresses->second : nothing);
            UndoTarget target;
            target.kind = UndoTarget::Kind::HostName;
            target.hostName = name;
            target.filePath = filePath;
            difference.undoTargets.push_back(target);
            Add(std::move(difference));
        }
        if (changedNames.size() > kHostNamesNamedOneByOne) {
            ResolutionDifference difference;
            difference.kind = DifferenceKind::HostsFile;
            difference.change = DifferenceChange::Changed;
            difference.subject = std::to_string(changedNames.size() - kHostNamesNamedOneByOne) + " more host names";
            difference.before = FileSummary(before);
            difference.after = FileSummary(after);
            difference.undoTargets.push_back(WholeFileTarget(filePath));
            Add(std::move(difference));
        }
    }

    static UndoTarget WholeFileTarget(const std::string& filePath) {
        UndoTarget target;
        target.kind = UndoTarget::Kind::HostsFileWhole;
        target.filePath = filePath;
        return target;
    }

    std::vector<ResolutionDifference> Merged() {
        std::vector<ResolutionDifference> merged;
        for (ResolutionDifference& difference : found_) {
            ResolutionDifference* same = nullptr;
            for (ResolutionDifference& earlier : merged) {
                if (earlier.kind == difference.kind && earlier.change == difference.change &&
                    earlier.subject == difference.subject && earlier.before == difference.before &&
                    earlier.after == difference.after && earlier.origin == difference.origin &&
                    earlier.undoable == difference.undoable && !earlier.places.empty() && !difference.places.empty()) {
                    same = &earlier;
                    break;
                }
            }
            if (!same) {
                merged.push_back(std::move(difference));
                continue;
            }
            for (std::string& place : difference.places)
                same->places.push_back(std::move(place));
            for (UndoTarget& target : difference.undoTargets)
                same->undoTargets.push_back(std::move(target));
        }
        return merged;
    }

    const ResolutionSettings& baseline_;
    const ResolutionSettings& current_;
    std::vector<ResolutionDifference> found_;
    std::set<std::string> reportedAdapters_;
};

}  // namespace

ServerOrigin Ipv6ServerOrigin(const ResolutionSettings& settings, const std::string& adapterId) {
    const RegistryValue* value = StaticServers(settings, adapterId);
    return value && !ServerListOf(*value).empty() ? ServerOrigin::SetOnThisPc : ServerOrigin::FromNetwork;
}

std::vector<ResolutionDifference> CompareResolutionSettings(const ResolutionSettings& baseline,
                                                            const ResolutionSettings& current) {
    return Comparison(baseline, current).Run();
}

std::vector<std::string> UnreadablePlaces(const ResolutionSettings& settings) {
    std::vector<std::string> places;
    if (settings.adapters.state == ReadState::Unreadable)
        places.push_back("network adapters");
    for (const RegistryStoreDefinition& definition : RegistryStoreDefinitions()) {
        const RegistryStoreSnapshot& store = settings.store(definition.store);
        if (store.state == ReadState::Unreadable)
            places.push_back(definition.keyPath);
        for (const RegistryKeyRecord& key : store.keys) {
            if (key.state == ReadState::Unreadable)
                places.push_back(StoreItemKeyPath(definition.store, key.path));
        }
    }
    if (settings.hosts.state == HostsFileState::Unreadable)
        places.push_back("hosts file " + settings.hosts.path);
    return places;
}

const char* DifferenceKindText(DifferenceKind kind) {
    switch (kind) {
        case DifferenceKind::Ipv6DnsServers:
            return "IPv6 DNS servers";
        case DifferenceKind::NewAdapterWithDnsServers:
            return "network adapter with DNS servers";
        case DifferenceKind::NameResolutionRule:
            return "name resolution rule";
        case DifferenceKind::PolicyDnsServers:
            return "policy DNS servers";
        case DifferenceKind::EncryptedDnsTemplate:
            return "encrypted DNS template";
        case DifferenceKind::EncryptedDnsPolicy:
            return "encrypted DNS policy";
        case DifferenceKind::HostsFile:
            return "hosts file";
        case DifferenceKind::HostsFileLocation:
            return "hosts file location";
    }
    return "";
}

const char* ServerOriginText(ServerOrigin origin) {
    switch (origin) {
        case ServerOrigin::NotServers:
            return "";
        case ServerOrigin::SetOnThisPc:
            return "set on this PC";
        case ServerOrigin::FromNetwork:
            return "handed out by the network (DHCPv6 or a router advertisement)";
    }
    return "";
}

std::string SettingName(DifferenceKind kind, const std::string& subject, const std::vector<std::string>& places) {
    std::string name = DifferenceKindText(kind);
    if (!subject.empty())
        name += " \"" + subject + "\"";
    if (!places.empty()) {
        std::string joined;
        for (const std::string& place : places)
            joined += (joined.empty() ? "\"" : ", \"") + place + "\"";
        name += " (" + joined + ")";
    }
    return name;
}

std::string DescribeDifference(const ResolutionDifference& difference) {
    std::string line = SettingName(difference.kind, difference.subject, difference.places);
    line += ": was " + difference.before + ", now " + difference.after;
    if (difference.origin != ServerOrigin::NotServers)
        line += std::string("; ") + ServerOriginText(difference.origin);
    if (!difference.undoable)
        line += "; it cannot be undone";
    return line;
}

}  // namespace quillcrest
