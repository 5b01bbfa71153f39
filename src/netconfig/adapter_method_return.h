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

// True for the two values that mean the adapter took the change.
bool AdapterMethodSucceeded(std::uint32_t returnCode);

// What a refusing return value means, in words for the user ("Access denied"); a value the documentation does
// not list is named by its number.
std::string AdapterMethodReturnText(std::uint32_t returnCode);

// Adds what one adapter's return value means to the outcome: nothing for done, the restart for 1, otherwise a
// refusal of that adapter with the value and its meaning.
void AddAdapterMethodAnswer(DnsChangeOutcome& outcome, const std::string& settingId, std::uint32_t returnCode);

}  // namespace quillcrest
