#pragma once

#include <utility>

#include "elevation/elevated_actions.h"
#include "netconfig/connection_names.h"
#include "watch/watch_network.h"

namespace quillcrest {

// The watch's network with changes that ask for administrator rights when the process lacks them. Reads and the
// cache flush need no rights and go to the in-process network. A change goes there too when the process is
// elevated; otherwise the whole set of assignments of one user action goes to one elevated run of the program
// (one consent prompt, then the run's own confirmation window), whose exit code tells which adapters refused.
// Either way the refusals carry the adapters' connection names, for the report.
class ElevatingWatchNetwork : public WatchNetwork {
  public:
    ElevatingWatchNetwork(WatchNetwork& inProcess, ElevatedActions& elevated, ConnectionNameSource connectionNames)
        : inProcess_(inProcess), elevated_(elevated), connectionNames_(std::move(connectionNames)) {}

    std::optional<std::string> CurrentDnsList() override { return inProcess_.CurrentDnsList(); }
    DnsChangeOutcome ChangeAdaptersDns(const std::vector<DnsAssignment>& assignments) override;
    // True when the process is not elevated and every assignment goes to the elevated run, whose window shows
    // them and asks.
    bool AsksBeforeChanging(const std::vector<DnsAssignment>& assignments) override;
    void FlushDNSCache() override { inProcess_.FlushDNSCache(); }
    std::vector<std::string> GetTcpipInterfaces() override { return inProcess_.GetTcpipInterfaces(); }

  private:
    DnsChangeOutcome Change(const std::vector<DnsAssignment>& assignments);

    WatchNetwork& inProcess_;
    ElevatedActions& elevated_;
    ConnectionNameSource connectionNames_;
};

}  // namespace quillcrest
