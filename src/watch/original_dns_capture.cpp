#include "watch/original_dns_capture.h"

#include <exception>
#include <string>
#include <vector>

#include "netconfig/wmi_query_close_guard.h"
#include "settings/list_text.h"

namespace quillcrest {
namespace {

constexpr char kEveryAdapterQuery[] = "Select * from Win32_NetworkAdapterConfiguration";

void CaptureRow(const WmiQuery& query, InterfaceRecords& records) {
    const bool dhcpEnabled = query.fieldByName("DHCPEnabled").asBoolean();
    const std::string id = query.fieldByName("SettingID").asText();
    const WmiValue searchOrder = query.fieldByName("DNSServerSearchOrder");
    // Without an identifier the records would land in the key shared by "no preferred adapter".
    if (searchOrder.isNull() || id.empty())
        return;

    std::vector<std::string> servers;
    for (const WmiValue& item : searchOrder.items())
        servers.push_back(item.asText());
    const std::string serversText = CommaText(servers);

    records.WriteDhcpEnabled(id, dhcpEnabled);
    if (!dhcpEnabled && records.ReadOrigDns(id).empty())
        records.WriteOrigDns(id, serversText);
    if (records.ReadUserText(id, InterfaceRecords::kOrigNameServers).empty())
        records.WriteUserText(id, InterfaceRecords::kOrigNameServers, serversText);
}

}  // namespace

void SaveOrigDNSInfo(WmiQuery& query, InterfaceRecords& records) {
    try {
        WmiQueryCloseGuard closeGuard(query);
        query.setWql(kEveryAdapterQuery);
        query.open();
        query.first();
        while (!query.eof()) {
            CaptureRow(query, records);
            query.next();
        }
    } catch (const std::exception&) {
        // The capture is a best effort at start: an adapter WMI cannot describe is simply not recorded, and
        // start-up goes on.
    }
}

}  // namespace quillcrest
