#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "resolution/resolution_comparison.h"

namespace quillcrest {

// The window in which the elevated run asks before it replaces a stored DNS baseline with settings that differ
// from it. A program of the user could start that run with "runas" right after redirecting the PC, to have its
// change taken as the baseline; the consent prompt names only the program, so this window names the change.
inline constexpr char kDnsBaselineConfirmationCaption[] = "Quillcrest: Confirm DNS Settings to Keep";

// The question lists at most this many differences: a message box must fit on the screen.
constexpr std::size_t kMostDifferencesInConfirmation = 15;

// The question: each difference between the stored baseline and the settings now on a line of its own, in words
// (UTF-8), and whether to keep the settings now.
std::string DnsBaselineConfirmationText(const std::vector<ResolutionDifference>& differences);

}  // namespace quillcrest
