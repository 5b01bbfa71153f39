#pragma once

#include <cstdint>
#include <vector>

namespace quillcrest {

// What became of one item of an undo plan (undo_plan.h).
enum class UndoRefusal : std::uint8_t {
    // Done: the setting is as the baseline had it.
    None,
    // Windows denied access (for a setting of group policy: a policy of the organisation holds the key).
    AccessDenied,
    // Another program holds the hosts file open without sharing it; the file was left as it was.
    FileInUse,
    // This Windows has no function to set an adapter's IPv6 DNS servers (before Windows 10 version 2004).
    FunctionMissing,
    // The registry names another hosts file now than the baseline's: the file was not written.
    NotTheHostsFileInUse,
    // The hosts file's location could not be put back first: the file was not written.
    LocationNotPutBack,
    // The hosts file's owner and permissions could not be given to its new content: the file was left as it was.
    SecurityNotKept,
    // Any other failure; errorCode says which, where it is known.
    Failed,
};

struct UndoItemOutcome {
    UndoRefusal refusal = UndoRefusal::None;
    // The Win32 error code of a failure; 0 where it is not known (an outcome read back from an exit code).
    std::uint32_t errorCode = 0;

    bool done() const { return refusal == UndoRefusal::None; }
    friend bool operator==(const UndoItemOutcome& a, const UndoItemOutcome& b) {
        return a.refusal == b.refusal && a.errorCode == b.errorCode;
    }
};

// One outcome per item of the plan, in its order.
struct UndoOutcome {
    std::vector<UndoItemOutcome> items;

    friend bool operator==(const UndoOutcome& a, const UndoOutcome& b) { return a.items == b.items; }
};

// The outcome of a system call's Win32 error code: 0 done; access denied; a sharing or lock violation, the file
// in use; anything else a failure with its code.
UndoItemOutcome UndoOutcomeOfError(std::uint32_t errorCode);

}  // namespace quillcrest
