#include "watch/watch_startup.h"

#include <exception>

#include "netconfig/adapter_guid.h"
#include "watch/original_dns_capture.h"

namespace quillcrest {

ReferenceLists StartWatch(WmiQuery& query, WatchNetwork& network, InterfaceRecords& records, WatchDialogs& dialogs) {
    ReferenceLists lists;
    try {
        lists.adapterGuid = GetAdaptorGUID(query);
    } catch (const std::exception& error) {
        dialogs.ShowError(error.what());
    }

    lists.recentDnsList = network.CurrentDnsList();
    if (lists.recentDnsList)
        records.WriteUserText(lists.adapterGuid, InterfaceRecords::kStartupNameServers, *lists.recentDnsList);

    lists.defaultDnsList = records.ReadUserText(lists.adapterGuid, InterfaceRecords::kDefaultNameServers);
    if (lists.defaultDnsList->empty()) {
        lists.defaultDnsList = network.CurrentDnsList();
        if (lists.defaultDnsList)
            records.WriteUserText(lists.adapterGuid, InterfaceRecords::kDefaultNameServers, *lists.defaultDnsList);
        SaveOrigDNSInfo(query, records);
    }
    return lists;
}

}  // namespace quillcrest
