#include "resolution/undo_outcome_code.h"

#include <array>
#include <variant>

namespace quillcrest {
namespace {

constexpr unsigned kRefusedItemsBits = 12;
constexpr unsigned kAdapterReasonShift = 12;
constexpr unsigned kRegistryReasonShift = 14;
constexpr unsigned kHostsReasonShift = 16;
constexpr unsigned kPlanDigestShift = 19;
constexpr std::uint32_t kTwoBits = 0x3;
constexpr std::uint32_t kThreeBits = 0x7;
constexpr std::uint32_t kPlanDigestBits = 0x1F;
constexpr unsigned kPlanDigestWidth = 5;

static_assert(kMostUndoItems <= kRefusedItemsBits, "each item needs its bit");
static_assert(kPlanDigestShift + kPlanDigestWidth == kUndoOutcomeCodeBits, "the fields fill the code");

enum class Group { Adapters, Registry, HostsFile };
constexpr std::size_t kGroupCount = 3;

// Each group's reasons by their number in the code; number 0 is "none refused".
struct GroupField {
    unsigned shift;
    std::uint32_t mask;
    std::vector<UndoRefusal> reasons;
};

const std::array<GroupField, kGroupCount>& GroupFields() {
    static const std::array<GroupField, kGroupCount> fields = {{
        {kAdapterReasonShift, kTwoBits, {UndoRefusal::FunctionMissing, UndoRefusal::AccessDenied, UndoRefusal::Failed}},
        {kRegistryReasonShift, kTwoBits, {UndoRefusal::AccessDenied, UndoRefusal::Failed}},
        {kHostsReasonShift,
         kThreeBits,
         {UndoRefusal::FileInUse, UndoRefusal::AccessDenied, UndoRefusal::NotTheHostsFileInUse,
          UndoRefusal::LocationNotPutBack, UndoRefusal::SecurityNotKept, UndoRefusal::Failed}},
    }};
    return fields;
}

Group GroupOf(const UndoItem& item) {
    if (std::holds_alternative<SetAdapterIpv6Servers>(item.action))
        return Group::Adapters;
    if (std::holds_alternative<RestoreHostsFile>(item.action))
        return Group::HostsFile;
    return Group::Registry;
}

std::uint32_t ReasonNumber(const GroupField& field, UndoRefusal refusal) {
    for (std::size_t i = 0; i < field.reasons.size(); ++i) {
        if (field.reasons[i] == refusal)
            return static_cast<std::uint32_t>(i + 1);
    }
    return 0;
}

// FNV-1a over each item's setting and what it does, folded to the digest's width.
std::uint32_t PlanDigest(const UndoPlan& plan) {
    std::uint32_t hash = 2166136261u;
    auto add = [&hash](const std::string& text) {
        for (const char c : text + '\n') {
            hash ^= static_cast<unsigned char>(c);
            hash *= 16777619u;
        }
    };
    for (const UndoItem& item : plan.items) {
        add(item.setting);
        add(item.toDo);
    }
    std::uint32_t folded = 0;
    for (; hash != 0; hash >>= kPlanDigestWidth)
        folded ^= hash & kPlanDigestBits;
    return folded;
}

}  // namespace

std::uint32_t UndoOutcomeCode(const UndoPlan& plan, const UndoOutcome& outcome) {
    std::uint32_t code = PlanDigest(plan) << kPlanDigestShift;
    std::array<std::optional<UndoRefusal>, kGroupCount> groupRefusal;
    std::array<bool, kGroupCount> mixed{};
    for (std::size_t i = 0; i < plan.items.size() && i < kMostUndoItems; ++i) {
        // An item without an outcome was not carried out: refused.
        const UndoRefusal refusal = i < outcome.items.size() ? outcome.items[i].refusal : UndoRefusal::Failed;
        if (refusal == UndoRefusal::None)
            continue;
        code |= 1u << i;
        const auto group = static_cast<std::size_t>(GroupOf(plan.items[i]));
        if (groupRefusal[group] && *groupRefusal[group] != refusal)
            mixed[group] = true;
        groupRefusal[group] = refusal;
    }
    for (std::size_t group = 0; group < kGroupCount; ++group) {
        if (!groupRefusal[group])
            continue;
        const GroupField& field = GroupFields()[group];
        std::uint32_t number = mixed[group] ? 0 : ReasonNumber(field, *groupRefusal[group]);
        if (number == 0)
            number = ReasonNumber(field, UndoRefusal::Failed);
        code |= number << field.shift;
    }
    return code;
}

std::optional<UndoOutcome> ReadUndoOutcomeCode(std::uint32_t code, const UndoPlan& plan) {
    if ((code >> kUndoOutcomeCodeBits) != 0 || ((code >> kPlanDigestShift) & kPlanDigestBits) != PlanDigest(plan))
        return std::nullopt;
    const std::uint32_t refused = code & ((1u << kRefusedItemsBits) - 1);
    if (plan.items.size() < kRefusedItemsBits && (refused >> plan.items.size()) != 0)
        return std::nullopt;
    std::array<bool, kGroupCount> anyRefused{};
    for (std::size_t i = 0; i < plan.items.size(); ++i) {
        if ((refused & (1u << i)) != 0)
            anyRefused[static_cast<std::size_t>(GroupOf(plan.items[i]))] = true;
    }
    std::array<UndoRefusal, kGroupCount> reasons{};
    for (std::size_t group = 0; group < kGroupCount; ++group) {
        const GroupField& field = GroupFields()[group];
        const std::uint32_t number = (code >> field.shift) & field.mask;
        if ((number != 0) != anyRefused[group] || number > field.reasons.size())
            return std::nullopt;
        reasons[group] = number == 0 ? UndoRefusal::None : field.reasons[number - 1];
    }
    UndoOutcome outcome;
    for (std::size_t i = 0; i < plan.items.size(); ++i) {
        const bool wasRefused = (refused & (1u << i)) != 0;
        outcome.items.push_back(
            {wasRefused ? reasons[static_cast<std::size_t>(GroupOf(plan.items[i]))] : UndoRefusal::None, 0});
    }
    return outcome;
}

}  // namespace quillcrest
