#include "resolution/undo_outcome.h"

namespace quillcrest {
namespace {

constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorSharingViolation = 32;
constexpr std::uint32_t kErrorLockViolation = 33;

}  // namespace

UndoItemOutcome UndoOutcomeOfError(std::uint32_t errorCode) {
    switch (errorCode) {
        case 0:
            return {};
        case kErrorAccessDenied:
            return {UndoRefusal::AccessDenied, errorCode};
        case kErrorSharingViolation:
        case kErrorLockViolation:
            return {UndoRefusal::FileInUse, errorCode};
        default:
            return {UndoRefusal::Failed, errorCode};
    }
}

}  // namespace quillcrest
