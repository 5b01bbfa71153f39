// Feeds two baseline texts (the baseline, a NUL, the settings now) and an outcome number to "Undo" and checks
// what must hold for any baseline: one "Undo" takes no more items than its outcome can report; every key it
// writes or deletes is an item of a store, never a store's key or one above it; the hosts file goes back to the
// baseline's path with the baseline's own content; an outcome survives the number that carries it; a number
// read back is the one its outcome gives; the texts are made without failing.
// Input: 3 bytes of an outcome number, then the two texts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <variant>

#include "base/ascii_case.h"
#include "resolution/dns_baseline_file.h"
#include "resolution/registry_stores.h"
#include "resolution/resolution_comparison.h"
#include "resolution/undo_confirmation.h"
#include "resolution/undo_outcome_code.h"
#include "resolution/undo_plan.h"
#include "resolution/undo_report.h"

namespace {

using namespace quillcrest;

constexpr std::size_t kNumberBytes = 3;

void Require(bool condition) {
    if (!condition)
        std::abort();
}

// Whether keyPath is an item key of some store: beneath the store's key by a path the store takes.
bool IsItemKey(const std::string& keyPath) {
    for (const RegistryStoreDefinition& definition : RegistryStoreDefinitions()) {
        const std::string storeKey = definition.keyPath;
        if (EqualIgnoringAsciiCase(keyPath, storeKey) && definition.itemLevels.empty())
            return true;
        if (keyPath.size() > storeKey.size() + 1 && keyPath[storeKey.size()] == '\\' &&
            StartsWithIgnoringAsciiCase(keyPath, storeKey) &&
            IsStoreItemPath(definition.store, keyPath.substr(storeKey.size() + 1)))
            return true;
    }
    return false;
}

struct Check {
    const ResolutionSettings& baseline;
    void operator()(const SetAdapterIpv6Servers& action) const { Require(!action.adapterId.empty()); }
    void operator()(const RestoreRegistryKey& action) const { Require(IsItemKey(action.keyPath)); }
    void operator()(const RestoreRegistryValue& action) const { Require(IsItemKey(action.keyPath)); }
    void operator()(const RestoreHostsFile& action) const {
        Require(action.path == baseline.hosts.path);
        Require(action.content == baseline.hosts.content);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kNumberBytes)
        return 0;
    const std::uint32_t number = data[0] | (data[1] << 8) | (std::uint32_t{data[2]} << 16);
    const std::string texts(reinterpret_cast<const char*>(data + kNumberBytes), size - kNumberBytes);
    const std::size_t split = texts.find('\0');
    if (split == std::string::npos)
        return 0;
    const DnsBaselineReading baseline = ParseDnsBaseline(texts.substr(0, split));
    const DnsBaselineReading current = ParseDnsBaseline(texts.substr(split + 1));
    if (baseline.status != DnsBaselineStatus::Read || current.status != DnsBaselineStatus::Read)
        return 0;

    const UndoPlan plan = MakeUndoPlan(baseline.settings, current.settings,
                                       CompareResolutionSettings(baseline.settings, current.settings));
    Require(plan.items.size() <= kMostUndoItems);
    for (const UndoItem& item : plan.items)
        std::visit(Check{baseline.settings}, item.action);

    // An outcome made of the number's bits, one refusal per item.
    UndoOutcome outcome;
    for (std::size_t i = 0; i < plan.items.size(); ++i)
        outcome.items.push_back({static_cast<UndoRefusal>((number >> (2 * i)) % 8), 0});
    const std::uint32_t code = UndoOutcomeCode(plan, outcome);
    Require((code >> kUndoOutcomeCodeBits) == 0);
    const std::optional<UndoOutcome> carried = ReadUndoOutcomeCode(code, plan);
    Require(carried.has_value() && carried->items.size() == plan.items.size());
    for (std::size_t i = 0; i < plan.items.size(); ++i)
        Require(carried->items[i].done() == outcome.items[i].done());

    if (const std::optional<UndoOutcome> read = ReadUndoOutcomeCode(number, plan))
        Require(UndoOutcomeCode(plan, *read) == number);

    UndoConfirmationText(plan);
    UndoReportText(plan, outcome);
    return 0;
}
