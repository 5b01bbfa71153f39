#include "watch/dns_change_report.h"

namespace quillcrest {

void SettleDnsChange(const DnsChangeOutcome& outcome, WatchDialogs& dialogs) {
    if (outcome.Refused())
        throw EDnsChangeRefused(outcome);
    if (outcome.restartNeeded)
        dialogs.ShowNotice(kRestartNeededNotice);
}

}  // namespace quillcrest
