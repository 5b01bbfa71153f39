#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "resolution/resolution_comparison.h"

namespace quillcrest {

// What the user answered in the wider check's alert.
enum class ResolutionAlertAnswer {
    // "Keep": the current settings become the baseline.
    Keep,
    // "Undo": the baseline is put back (DnsUndoRoute), as far as it can be.
    Undo,
    // The close box and Escape: the baseline stays as it is and nothing is changed, so the alert comes back at the
    // next check.
    Close,
};

// A button of the alert: its text, what pressing it answers, and the sentence of the alert that tells what it
// does.
struct ResolutionAlertButton {
    const char* text;
    ResolutionAlertAnswer answer;
    const char* advice;
};

inline constexpr ResolutionAlertButton kKeepAlertButton = {
    "Keep", ResolutionAlertAnswer::Keep,
    "If you or your network made these changes (another network, a VPN, a program you installed), click Keep: "
    "Quillcrest then compares with these settings from now on."};
// The second button, the one place that says what it is called and what it does.
inline constexpr ResolutionAlertButton kSecondAlertButton = {
    "Undo", ResolutionAlertAnswer::Undo,
    "If not, click Undo: Quillcrest shows what it will put back as it was and asks first (this needs administrator "
    "rights). Closing this window changes nothing, and the alert comes back at the next check."};

// The alert itself: one window that lists the differences, with the two buttons above. One at a time; it returns
// when the user has answered, and timer ticks keep arriving while it waits.
class ResolutionAlert {
  public:
    virtual ~ResolutionAlert() = default;

    // differences: one difference a line, as DifferenceLines gives them, joined by "\n"; UTF-8.
    virtual ResolutionAlertAnswer Show(const std::string& differences) = 0;
    // The outcome report of "Undo" (UTF-8), in a window of its own that returns when the user has read it.
    virtual void ShowUndoReport(const std::string& report) = 0;
};

// The alert lists at most this many differences; the rest are counted on one more line.
constexpr std::size_t kMostDifferencesInAlert = 50;

// One line a difference, in words (DescribeDifference, starting with a capital letter, control characters made
// blanks), at most `most` of them; when there are more, a last line says how many more there are.
std::vector<std::string> DifferenceLines(const std::vector<ResolutionDifference>& differences, std::size_t most);

// The lines joined by "\n", without a line end after the last.
std::string JoinedLines(const std::vector<std::string>& lines);

}  // namespace quillcrest
