#include "watch/dns_selection.h"

#include "settings/text_search.h"
#include "watch/open_dns.h"

namespace quillcrest {
void DnsSelection::Start(const std::string& recentDnsList) {
    const bool onOpenDns =
        PosFrom(recentDnsList, kOpenDnsPrimary, 1) > 0 && PosFrom(recentDnsList, kOpenDnsSecondary, 1) > 0;
    ChooseItem(onOpenDns ? kSelectionOpenDns : kSelectionDefault);
    MarkApplied();
}

void DnsSelection::ChooseItem(int item) {
    if (item_ == item)
        return;
    item_ = item;
    window_.ShowSelectionItem(item);
    pending_ = true;
    window_.ShowApplyButton(true);
}

void DnsSelection::MarkApplied() {
    pending_ = false;
    window_.ShowApplyButton(false);
}

}  // namespace quillcrest
