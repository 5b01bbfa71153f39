#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "resolution/registry_value_text.h"
#include "resolution/undo_actions.h"

namespace quillcrest::fakes {

// Records every step as one line ("set-servers {id} a,b", "set-value KEY NAME TYPE DATA", "delete-value KEY NAME",
// "delete-key KEY", "replace-hosts PATH N bytes", "delete-hosts PATH") and answers each from `refusals`, by that
// line's first two words ("set-value KEY" refuses every value of KEY); done otherwise.
class FakeUndoActions : public UndoActions {
  public:
    UndoItemOutcome SetAdapterIpv6Servers(const std::string& adapterId,
                                          const std::vector<std::string>& servers) override {
        std::string list;
        for (const std::string& server : servers)
            list += (list.empty() ? "" : ",") + server;
        return Step("set-servers " + adapterId, " " + list);
    }
    UndoItemOutcome SetRegistryValue(const std::string& keyPath, const RegistryValue& value) override {
        return Step("set-value " + keyPath,
                    " " + value.name + " " + RegistryTypeName(value.type) + " " + ReadableValue(value));
    }
    UndoItemOutcome DeleteRegistryValue(const std::string& keyPath, const std::string& valueName) override {
        return Step("delete-value " + keyPath, " " + valueName);
    }
    UndoItemOutcome DeleteRegistryKey(const std::string& keyPath) override { return Step("delete-key " + keyPath, ""); }
    std::optional<std::string> HostsFilePathNow() override { return hostsPathNow; }
    UndoItemOutcome ReplaceHostsFile(const std::string& path, const std::string& bytes) override {
        return Step("replace-hosts " + path, " " + std::to_string(bytes.size()) + " bytes");
    }
    UndoItemOutcome DeleteHostsFile(const std::string& path) override { return Step("delete-hosts " + path, ""); }

    std::map<std::string, UndoItemOutcome> refusals;
    std::optional<std::string> hostsPathNow = "C:\\Windows\\System32\\drivers\\etc\\hosts";
    std::vector<std::string> steps;

  private:
    UndoItemOutcome Step(const std::string& head, const std::string& rest) {
        steps.push_back(head + rest);
        const auto refused = refusals.find(head);
        return refused == refusals.end() ? UndoItemOutcome{} : refused->second;
    }
};

}  // namespace quillcrest::fakes
