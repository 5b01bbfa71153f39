#include "elevation/dns_baseline_confirmation.h"

#include "watch/resolution_alert.h"

namespace quillcrest {
namespace {

constexpr char kIntroduction[] =
    "Quillcrest is about to keep the current DNS settings of this computer as the ones it compares with. They "
    "differ from the settings it kept before:\n";
constexpr char kQuestion[] = "\nKeep these settings? If you did not ask for it just now, choose No.";

}  // namespace

std::string DnsBaselineConfirmationText(const std::vector<ResolutionDifference>& differences) {
    return std::string(kIntroduction) + "\n" +
           JoinedLines(DifferenceLines(differences, kMostDifferencesInConfirmation)) + "\n" + kQuestion;
}

}  // namespace quillcrest
