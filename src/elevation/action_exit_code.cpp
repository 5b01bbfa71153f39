#include "elevation/action_exit_code.h"

#include "base/exception.h"
#include "elevation/action_launcher.h"
#include "elevation/privileged_action.h"
#include "netconfig/adapter_method_return.h"
#include "resolution/undo_outcome_code.h"

namespace quillcrest {
namespace {

constexpr unsigned kKindShift = 24;
constexpr std::uint32_t kKindMask = 0x7F;
constexpr std::uint32_t kDetailMask = 0x00FFFFFF;

constexpr std::uint32_t kKindDone = 0;
constexpr std::uint32_t kKindRestartNeeded = 1;
constexpr std::uint32_t kKindFirstRefusal = 2;
constexpr std::uint32_t kLargestCarriedReturnValue = 100;
constexpr std::uint32_t kKindOtherReturnValue = 101;
constexpr std::uint32_t kKindError = 110;
constexpr std::uint32_t kKindRefusedCommandLine = 111;
constexpr std::uint32_t kKindDeclinedInWindow = 112;
constexpr std::uint32_t kKindUndone = 113;
constexpr std::uint32_t kKindNothingToUndo = 114;
constexpr std::uint32_t kKindNoBaselineToUndo = 115;
constexpr std::uint32_t kKindBaselineNotUsable = 116;
constexpr std::uint32_t kKindMethodMissing = 125;
constexpr std::uint32_t kKindMixedRefusals = 126;
constexpr std::uint32_t kKindMethodCallFailed = 127;

// An HRESULT keeps its severity implied, 7 bits of facility and its 16-bit code.
constexpr std::uint32_t kHresultMark = 0x800000;
constexpr std::uint32_t kFacilityMask = 0x7F;
constexpr std::uint32_t kCodeMask = 0xFFFF;
constexpr std::uint32_t kSeverityBit = 0x80000000;
constexpr std::uint32_t kGenericFailure = 0x80004005;  // E_FAIL

static_assert(kMostActionAssignments <= kKindShift, "each assignment needs its bit");
static_assert(kUndoOutcomeCodeBits <= kKindShift, "an undo outcome fits the detail bits");

// The statuses of an "Undo" that carried out nothing, by their kinds.
struct UndoNotReadyKind {
    PreparedUndo::Status status;
    std::uint32_t kind;
};
constexpr UndoNotReadyKind kUndoNotReadyKinds[] = {
    {PreparedUndo::Status::NothingToPutBack, kKindNothingToUndo},
    {PreparedUndo::Status::NoBaseline, kKindNoBaselineToUndo},
    {PreparedUndo::Status::BaselineNotUsable, kKindBaselineNotUsable},
};

std::uint32_t Compose(std::uint32_t kind, std::uint32_t detail) {
    return (kind << kKindShift) | (detail & kDetailMask);
}

std::uint32_t KindForReturnValue(std::uint32_t code) {
    if (code == kAdapterMethodCallFailed)
        return kKindMethodCallFailed;
    if (code == kAdapterMethodMissing)
        return kKindMethodMissing;
    return code <= kLargestCarriedReturnValue ? code : kKindOtherReturnValue;
}

// The refusal code a refusal kind reads back as: the return value it carries, or the mark of a call that failed.
std::uint32_t ReturnCodeForKind(std::uint32_t kind) {
    switch (kind) {
        case kKindMethodCallFailed:
            return kAdapterMethodCallFailed;
        case kKindMethodMissing:
            return kAdapterMethodMissing;
        default:
            return kind;
    }
}

std::string ReasonForKind(std::uint32_t kind) {
    switch (kind) {
        case kKindMethodCallFailed:
        case kKindMethodMissing:
            return AdapterMethodReturnText(ReturnCodeForKind(kind));
        case kKindOtherReturnValue:
            return "The adapter refused the change";
        case kKindMixedRefusals:
            return "The adapter refused the change (the adapters gave different reasons)";
        default:
            return AdapterMethodReturnText(kind);
    }
}

}  // namespace

std::uint32_t ActionExitForRefusedCommandLine() {
    return Compose(kKindRefusedCommandLine, 0);
}

std::uint32_t ActionExitForDeclinedInWindow() {
    return Compose(kKindDeclinedInWindow, 0);
}

std::uint32_t ActionExitForDnsOutcome(const std::vector<DnsAssignment>& assignments, const DnsChangeOutcome& outcome) {
    if (!outcome.Refused())
        return Compose(outcome.restartNeeded ? kKindRestartNeeded : kKindDone, 0);
    std::uint32_t refusedEntries = 0;
    std::uint32_t kind = KindForReturnValue(outcome.refusals.front().returnCode);
    for (const AdapterRefusal& refusal : outcome.refusals) {
        if (KindForReturnValue(refusal.returnCode) != kind)
            kind = kKindMixedRefusals;
        for (std::size_t i = 0; i < assignments.size() && i < kMostActionAssignments; ++i) {
            if (assignments[i].settingId == refusal.settingId)
                refusedEntries |= 1u << i;
        }
    }
    // A refusal with a return value below the first refusing one would read back as done.
    if (kind < kKindFirstRefusal)
        kind = kKindOtherReturnValue;
    return Compose(kind, refusedEntries);
}

std::uint32_t ActionExitForError(std::uint32_t errorCode) {
    if (errorCode <= kCodeMask)
        return Compose(kKindError, errorCode);
    // Bits 16-30 hold the facility and flags an HRESULT of ours never sets.
    const std::uint32_t facilityAndFlags = (errorCode >> 16) & 0x7FFF;
    if ((errorCode & kSeverityBit) != 0 && facilityAndFlags <= kFacilityMask)
        return Compose(kKindError,
                       kHresultMark | (((errorCode >> 16) & kFacilityMask) << 16) | (errorCode & kCodeMask));
    return ActionExitForError(kGenericFailure);
}

std::uint32_t ActionExitForUndoOutcome(std::uint32_t undoOutcomeCode) {
    if ((undoOutcomeCode >> kUndoOutcomeCodeBits) != 0)
        return ActionExitForError(kGenericFailure);
    return Compose(kKindUndone, undoOutcomeCode);
}

std::uint32_t ActionExitForUndoNotReady(PreparedUndo::Status status) {
    for (const UndoNotReadyKind& entry : kUndoNotReadyKinds) {
        if (entry.status == status)
            return Compose(entry.kind, 0);
    }
    // Ready is no reason: a caller that says so has a fault.
    return ActionExitForError(kGenericFailure);
}

ActionExit ReadActionExit(std::uint32_t exitCode, const std::vector<DnsAssignment>& assignments) {
    ActionExit exit;
    if ((exitCode & kSeverityBit) != 0)
        return exit;
    const std::uint32_t kind = (exitCode >> kKindShift) & kKindMask;
    const std::uint32_t detail = exitCode & kDetailMask;
    if (kind == kKindDone || kind == kKindRestartNeeded) {
        if (detail == 0) {
            exit.kind = ActionExit::Kind::kDone;
            exit.outcome.restartNeeded = kind == kKindRestartNeeded;
        }
        return exit;
    }
    if (kind == kKindError) {
        exit.kind = ActionExit::Kind::kError;
        exit.errorCode = (detail & kHresultMark) == 0
                             ? detail
                             : kSeverityBit | (((detail >> 16) & kFacilityMask) << 16) | (detail & kCodeMask);
        return exit;
    }
    if (kind == kKindUndone) {
        exit.kind = ActionExit::Kind::kUndone;
        exit.undoOutcomeCode = detail;
        return exit;
    }
    for (const UndoNotReadyKind& entry : kUndoNotReadyKinds) {
        if (kind == entry.kind) {
            if (detail == 0) {
                exit.kind = ActionExit::Kind::kUndoNotReady;
                exit.undoStatus = entry.status;
            }
            return exit;
        }
    }
    if (kind == kKindRefusedCommandLine || kind == kKindDeclinedInWindow) {
        if (detail == 0)
            exit.kind =
                kind == kKindRefusedCommandLine ? ActionExit::Kind::kRefusedCommandLine : ActionExit::Kind::kDeclined;
        return exit;
    }
    const bool refusalKind = (kind >= kKindFirstRefusal && kind <= kKindOtherReturnValue) ||
                             kind == kKindMethodMissing || kind == kKindMixedRefusals || kind == kKindMethodCallFailed;
    // Every refusal names at least one assignment the run was given.
    if (!refusalKind || detail == 0 || (assignments.size() < kKindShift && (detail >> assignments.size()) != 0))
        return exit;
    exit.kind = ActionExit::Kind::kRefusals;
    for (std::size_t i = 0; i < assignments.size() && i < kMostActionAssignments; ++i) {
        if ((detail & (1u << i)) != 0)
            exit.outcome.refusals.push_back({assignments[i].settingId, ReturnCodeForKind(kind), ReasonForKind(kind)});
    }
    return exit;
}

void RaiseUnlessAnswered(const ActionExit& exit, std::uint32_t exitCode, const SystemMessageLookup& systemMessage) {
    switch (exit.kind) {
        case ActionExit::Kind::kDone:
        case ActionExit::Kind::kRefusals:
        case ActionExit::Kind::kUndone:
        case ActionExit::Kind::kUndoNotReady:
            return;
        case ActionExit::Kind::kError:
            throw Exception(ActionErrorText(exit.errorCode, systemMessage));
        case ActionExit::Kind::kRefusedCommandLine:
            throw Exception("The change with administrator rights was refused: it did not understand its order");
        case ActionExit::Kind::kDeclined:
            throw EElevationDeclined();
        case ActionExit::Kind::kUnknown:
            break;
    }
    throw Exception("The change with administrator rights ended unexpectedly (exit code " + HexCode(exitCode) + ")");
}

std::string ActionErrorText(std::uint32_t errorCode, const SystemMessageLookup& systemMessage) {
    if ((errorCode & kSeverityBit) != 0)
        return FormatWmiError(errorCode, systemMessage);
    const std::string text = systemMessage ? systemMessage(errorCode) : std::string();
    return text.empty() ? "Error " + std::to_string(errorCode) : text;
}

}  // namespace quillcrest
