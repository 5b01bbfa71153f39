#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "netconfig/dns_change_outcome.h"
#include "netconfig/wmi_error_text.h"

namespace quillcrest {

// The exit code of the elevated run carries its whole outcome back, since that run writes nothing else:
//   bits 24-30  what happened: 0 done; 1 done, restart needed; 2-101 adapters refused, the WMI return value
//               (101 any value above 100); 125 adapters refused because the method that changes them is not
//               available on this system; 126 adapters refused for different reasons; 127 an adapter's method
//               call failed; 110 an error (detail: its code); 111 the command line was refused; 112 the user
//               answered "No" in the run's own confirmation window.
//   bits 0-23   for refusals, one bit per assignment of the run that was refused (bit 0 the first); for an
//               error, a Win32 error code, or an HRESULT with its facility and code.
// Bit 31 stays clear, so that a run that crashed (an exception code) cannot pass for an answer.
constexpr std::uint32_t kActionExitDone = 0;
std::uint32_t ActionExitForRefusedCommandLine();
std::uint32_t ActionExitForDeclinedInWindow();
std::uint32_t ActionExitForDnsOutcome(const std::vector<DnsAssignment>& assignments, const DnsChangeOutcome& outcome);
// errorCode: a Win32 error code or an HRESULT.
std::uint32_t ActionExitForError(std::uint32_t errorCode);

// An exit code read back against the assignments the run was given.
struct ActionExit {
    enum class Kind { kDone, kRefusals, kError, kRefusedCommandLine, kDeclined, kUnknown };
    Kind kind = Kind::kUnknown;
    DnsChangeOutcome outcome;     // kDone and kRefusals
    std::uint32_t errorCode = 0;  // kError: the Win32 error code or HRESULT
};
ActionExit ReadActionExit(std::uint32_t exitCode, const std::vector<DnsAssignment>& assignments = {});

// Raises what an exit code that is neither done nor refusals means; returns for those two. A change declined in
// the run's confirmation window raises EElevationDeclined, as a declined consent prompt does.
void RaiseUnlessAnswered(const ActionExit& exit, std::uint32_t exitCode, const SystemMessageLookup& systemMessage);

// The words for an error code carried back: an HRESULT as WMI failures are worded, a Win32 code by the system.
std::string ActionErrorText(std::uint32_t errorCode, const SystemMessageLookup& systemMessage);

}  // namespace quillcrest
