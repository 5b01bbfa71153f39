#pragma once

#include "watch/watch_network.h"

namespace quillcrest {

// The watch's view of the machine on the real platform: IP Helper for the current list, WMI for assignments
// (made in this process, with whatever rights it has), the shell for the cache flush and the registry for the
// interface identifiers.
class SystemWatchNetwork : public WatchNetwork {
  public:
    std::optional<std::string> CurrentDnsList() override;
    DnsChangeOutcome ChangeAdaptersDns(const std::vector<DnsAssignment>& assignments) override;
    void FlushDNSCache() override;
    std::vector<std::string> GetTcpipInterfaces() override;
};

}  // namespace quillcrest
