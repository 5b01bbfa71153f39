#include "resolution/undo_plan.h"

#include <utility>

#include "base/ascii_case.h"
#include "resolution/registry_stores.h"
#include "resolution/registry_value_text.h"

namespace quillcrest {
namespace {

constexpr char kStaticServersValue[] = "NameServer";
constexpr char kDeleteIt[] = "delete it";
constexpr char kDeleted[] = "deleted";

bool IsPolicyStore(RegistryStore store) {
    return store == RegistryStore::PolicyClient || store == RegistryStore::PolicyRules;
}

const RegistryKeyRecord* ReadKey(const ResolutionSettings& settings, RegistryStore store, const std::string& path) {
    const RegistryKeyRecord* key = FindKey(settings.store(store), path);
    return key && key->state == ReadState::Read ? key : nullptr;
}

bool AnyKeptBySizeOnly(const std::vector<RegistryValue>& values) {
    for (const RegistryValue& value : values) {
        if (value.oversizeBytes > 0)
            return true;
    }
    return false;
}

bool IsValueOfStore(RegistryStore store, const std::string& valueName) {
    const std::vector<const char*>& names = Definition(store).valueNames;
    if (names.empty())
        return true;
    for (const char* name : names) {
        if (EqualIgnoringAsciiCase(valueName, name))
            return true;
    }
    return false;
}

std::string JoinedServers(const std::vector<std::string>& servers) {
    if (servers.empty())
        return "automatic servers";
    std::string text;
    for (const std::string& server : servers)
        text += (text.empty() ? "" : ", ") + server;
    return text;
}

class Planner {
  public:
    Planner(const ResolutionSettings& baseline, const ResolutionSettings& current)
        : baseline_(baseline), current_(current) {}

    UndoPlan Run(const std::vector<ResolutionDifference>& differences) {
        for (const ResolutionDifference& difference : differences) {
            for (std::size_t i = 0; i < difference.undoTargets.size(); ++i) {
                const std::string place = i < difference.places.size() ? difference.places[i] : std::string();
                Take(difference, difference.undoTargets[i], place);
            }
        }
        // Last, so that a hosts file location put back comes first.
        if (hosts_)
            plan_.items.push_back(std::move(*hosts_));
        while (plan_.items.size() > kMostUndoItems) {
            plan_.leftAlone.push_back(
                UndoLeftAlone{plan_.items[kMostUndoItems].setting, UndoImpossibility::BeyondOneUndo, {}});
            plan_.items.erase(plan_.items.begin() + kMostUndoItems);
        }
        return std::move(plan_);
    }

  private:
    void Take(const ResolutionDifference& difference, const UndoTarget& target, const std::string& place) {
        const std::vector<std::string> places = place.empty() ? std::vector<std::string>() : std::vector{place};
        const std::string setting = SettingName(difference.kind, difference.subject, places);
        switch (target.kind) {
            case UndoTarget::Kind::AdapterServers:
                return TakeAdapterServers(difference, target, setting);
            case UndoTarget::Kind::Adapter:
                return LeaveAlone(setting, UndoImpossibility::NewAdapter);
            case UndoTarget::Kind::RegistryKey:
                return TakeKey(difference, target, setting);
            case UndoTarget::Kind::RegistryValue:
                return TakeValue(difference, target, setting);
            case UndoTarget::Kind::HostName:
            case UndoTarget::Kind::HostsFileWhole:
                return TakeHostsFile();
        }
    }

    void LeaveAlone(const std::string& setting, UndoImpossibility why, std::string servers = {}) {
        plan_.leftAlone.push_back(UndoLeftAlone{setting, why, std::move(servers)});
    }

    void Add(std::string setting, std::string toDo, std::string done, bool byPolicy, UndoAction action) {
        plan_.items.push_back(
            UndoItem{std::move(setting), std::move(toDo), std::move(done), byPolicy, std::move(action)});
    }

    void TakeAdapterServers(const ResolutionDifference& difference,
                            const UndoTarget& target,
                            const std::string& setting) {
        if (!IsStoreItemPath(RegistryStore::StaticIpv6Servers, target.adapterId))
            return LeaveAlone(setting, UndoImpossibility::NotAStoreItem);
        std::vector<std::string> servers;
        if (const RegistryKeyRecord* key = ReadKey(baseline_, RegistryStore::StaticIpv6Servers, target.adapterId)) {
            if (const RegistryValue* value = FindValue(*key, kStaticServersValue))
                servers = ServerListOf(*value);
        }
        // Automatic servers are what such an adapter has already: the network's server stays.
        if (servers.empty() && Ipv6ServerOrigin(current_, target.adapterId) == ServerOrigin::FromNetwork)
            return LeaveAlone(setting, UndoImpossibility::ServersFromNetwork, difference.after);
        const std::string shown = JoinedServers(servers);
        Add(setting, "set back to " + shown, "set back to " + shown, false,
            SetAdapterIpv6Servers{target.adapterId, std::move(servers)});
    }

    void TakeKey(const ResolutionDifference& difference, const UndoTarget& target, const std::string& setting) {
        if (Definition(target.store).itemLevels.empty() || !IsStoreItemPath(target.store, target.itemPath))
            return LeaveAlone(setting, UndoImpossibility::NotAStoreItem);
        RestoreRegistryKey restore;
        restore.keyPath = StoreItemKeyPath(target.store, target.itemPath);
        const RegistryKeyRecord* was = ReadKey(baseline_, target.store, target.itemPath);
        if (was && AnyKeptBySizeOnly(was->values))
            return LeaveAlone(setting, UndoImpossibility::ValueKeptBySizeOnly);
        if (was) {
            restore.values = was->values;
            if (const RegistryKeyRecord* is = ReadKey(current_, target.store, target.itemPath)) {
                for (const RegistryValue& value : is->values) {
                    if (!FindValue(*was, value.name))
                        restore.valuesToDelete.push_back(value.name);
                }
            }
        }
        const std::string toDo = was ? "set back to " + difference.before : kDeleteIt;
        const std::string done = was ? "set back to " + difference.before : kDeleted;
        Add(setting, toDo, done, IsPolicyStore(target.store), std::move(restore));
    }

    void TakeValue(const ResolutionDifference& difference, const UndoTarget& target, const std::string& setting) {
        if (!IsStoreItemPath(target.store, target.itemPath) || !IsValueOfStore(target.store, target.valueName))
            return LeaveAlone(setting, UndoImpossibility::NotAStoreItem);
        RestoreRegistryValue restore;
        restore.keyPath = StoreItemKeyPath(target.store, target.itemPath);
        restore.valueName = target.valueName;
        if (const RegistryKeyRecord* key = ReadKey(baseline_, target.store, target.itemPath)) {
            if (const RegistryValue* value = FindValue(*key, target.valueName)) {
                if (value->oversizeBytes > 0)
                    return LeaveAlone(setting, UndoImpossibility::ValueKeptBySizeOnly);
                restore.value = *value;
            }
        }
        const bool putBack = restore.value.has_value();
        Add(setting, putBack ? "set back to " + difference.before : kDeleteIt,
            putBack ? "set back to " + difference.before : kDeleted, IsPolicyStore(target.store), std::move(restore));
    }

    // Every difference of the hosts file comes to one item: the whole file.
    void TakeHostsFile() {
        if (hostsTaken_)
            return;
        hostsTaken_ = true;
        const HostsFileSnapshot& was = baseline_.hosts;
        const std::string setting = SettingName(DifferenceKind::HostsFile, "", {was.path});
        if (was.state == HostsFileState::Absent) {
            hosts_ = UndoItem{setting, "delete it (the baseline had no hosts file)", kDeleted, false,
                              RestoreHostsFile{was.path, nullptr}};
        } else if (was.state == HostsFileState::Read) {
            const std::string size = std::to_string(was.content->size) + " bytes";
            hosts_ = UndoItem{setting, "write back its recorded content (" + size + ")", "written back (" + size + ")",
                              false, RestoreHostsFile{was.path, was.content}};
        } else {
            LeaveAlone(setting, UndoImpossibility::HostsFileTooLarge);
        }
    }

    const ResolutionSettings& baseline_;
    const ResolutionSettings& current_;
    UndoPlan plan_;
    bool hostsTaken_ = false;
    std::optional<UndoItem> hosts_;
};

}  // namespace

UndoPlan MakeUndoPlan(const ResolutionSettings& baseline,
                      const ResolutionSettings& current,
                      const std::vector<ResolutionDifference>& differences) {
    return Planner(baseline, current).Run(differences);
}

bool TouchesPolicy(const UndoPlan& plan) {
    for (const UndoItem& item : plan.items) {
        if (item.byPolicy)
            return true;
    }
    return false;
}

}  // namespace quillcrest
