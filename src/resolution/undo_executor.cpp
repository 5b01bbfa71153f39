#include "resolution/undo_executor.h"

#include <type_traits>

#include "base/ascii_case.h"
#include "resolution/registry_stores.h"

namespace quillcrest {
namespace {

constexpr char kDatabasePathValue[] = "DataBasePath";

bool IsHostsFileLocation(const UndoAction& action) {
    const auto* restore = std::get_if<RestoreRegistryValue>(&action);
    return restore && EqualIgnoringAsciiCase(restore->valueName, kDatabasePathValue) &&
           EqualIgnoringAsciiCase(restore->keyPath, StoreItemKeyPath(RegistryStore::TcpipParameters, ""));
}

class Execution {
  public:
    explicit Execution(UndoActions& actions) : actions_(actions) {}

    UndoItemOutcome operator()(const SetAdapterIpv6Servers& action) {
        return actions_.SetAdapterIpv6Servers(action.adapterId, action.servers);
    }

    UndoItemOutcome operator()(const RestoreRegistryKey& action) {
        if (!action.values)
            return actions_.DeleteRegistryKey(action.keyPath);
        for (const RegistryValue& value : *action.values) {
            const UndoItemOutcome outcome = actions_.SetRegistryValue(action.keyPath, value);
            if (!outcome.done())
                return outcome;
        }
        for (const std::string& name : action.valuesToDelete) {
            const UndoItemOutcome outcome = actions_.DeleteRegistryValue(action.keyPath, name);
            if (!outcome.done())
                return outcome;
        }
        return {};
    }

    UndoItemOutcome operator()(const RestoreRegistryValue& action) {
        return action.value ? actions_.SetRegistryValue(action.keyPath, *action.value)
                            : actions_.DeleteRegistryValue(action.keyPath, action.valueName);
    }

    UndoItemOutcome operator()(const RestoreHostsFile& action) {
        if (locationRefused_)
            return {UndoRefusal::LocationNotPutBack, 0};
        const std::optional<std::string> pathNow = actions_.HostsFilePathNow();
        if (!pathNow || !EqualIgnoringAsciiCase(*pathNow, action.path))
            return {UndoRefusal::NotTheHostsFileInUse, 0};
        return action.content ? actions_.ReplaceHostsFile(action.path, action.content->bytes)
                              : actions_.DeleteHostsFile(action.path);
    }

    void NoteLocationRefused() { locationRefused_ = true; }

  private:
    UndoActions& actions_;
    bool locationRefused_ = false;
};

}  // namespace

UndoOutcome CarryOutUndo(const UndoPlan& plan, UndoActions& actions) {
    UndoOutcome outcome;
    Execution execution(actions);
    for (const UndoItem& item : plan.items) {
        const UndoItemOutcome itemOutcome = std::visit(execution, item.action);
        if (!itemOutcome.done() && IsHostsFileLocation(item.action))
            execution.NoteLocationRefused();
        outcome.items.push_back(itemOutcome);
    }
    return outcome;
}

}  // namespace quillcrest
