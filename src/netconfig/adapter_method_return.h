#pragma once

#include <cstdint>
#include <string>

#include "netconfig/dns_change_outcome.h"

namespace quillcrest {

// Return values of the methods of Win32_NetworkAdapterConfiguration, SetDNSServerSearchOrder among them.
constexpr std::uint32_t kAdapterMethodDone = 0;
constexpr std::uint32_t kAdapterMethodDoneRestartNeeded = 1;
// Not a value the method returns: marks a call that raised an error instead of answering.
constexpr std::uint32_t kAdapterMethodCallFailed = 0xFFFFFFFF;
// Not a value the method returns either: marks a call that failed because the system has no such method to call.
constexpr std::uint32_t kAdapterMethodMissing = 0xFFFFFFFE;

// The refusal code for an error that calling the method raised (an HRESULT): kAdapterMethodMissing for the
// errors that say the method is not there to be called (unknown to the scripting layer, not found, not
// implemented, disabled), kAdapterMethodCallFailed for every other one.
std::uint32_t RefusalCodeForCallError(std::uint32_t errorCode);

// True for the two values that mean the adapter took the change.
bool AdapterMethodSucceeded(std::uint32_t returnCode);

// What a refusing return value means, in words for the user ("Access denied"); a value the documentation does
// not list is named by its number. kAdapterMethodMissing and kAdapterMethodCallFailed have sentences of their own.
std::string AdapterMethodReturnText(std::uint32_t returnCode);

// Adds what one adapter's return value means to the outcome: nothing for done, the restart for 1, otherwise a
// refusal of that adapter with the value and its meaning.
void AddAdapterMethodAnswer(DnsChangeOutcome& outcome, const std::string& settingId, std::uint32_t returnCode);

}  // namespace quillcrest
