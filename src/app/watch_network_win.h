#pragma once

#include "watch/watch_network.h"

namespace quillcrest {

// The watch's view of the machine on the real platform: IP Helper for the current list, WMI for assignments,
// the shell for the cache flush and the registry for the interface identifiers.
class SystemWatchNetwork : public WatchNetwork {
  public:
    std::optional<std::string> CurrentDnsList() override;
    void SetAdaptorDNS(const std::string& settingId, const std::vector<std::string>& servers) override;
    void FlushDNSCache() override;
    std::vector<std::string> GetTcpipInterfaces() override;
};

}  // namespace quillcrest
