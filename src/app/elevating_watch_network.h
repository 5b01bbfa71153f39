#pragma once

#include "app/elevated_actions.h"
#include "watch/watch_network.h"

namespace quillcrest {

// The watch's network with changes that ask for administrator rights when the process lacks them. Reads and the
// cache flush need no rights and go to the in-process network. A change goes there too when the process is
// elevated; otherwise the whole set of assignments of one user action goes to one elevated run of the program
// (one consent prompt), whose exit code tells which adapters refused.
class ElevatingWatchNetwork : public WatchNetwork {
  public:
    ElevatingWatchNetwork(WatchNetwork& inProcess, ElevatedActions& elevated)
        : inProcess_(inProcess), elevated_(elevated) {}

    std::optional<std::string> CurrentDnsList() override { return inProcess_.CurrentDnsList(); }
    DnsChangeOutcome ChangeAdaptersDns(const std::vector<DnsAssignment>& assignments) override;
    void FlushDNSCache() override { inProcess_.FlushDNSCache(); }
    std::vector<std::string> GetTcpipInterfaces() override { return inProcess_.GetTcpipInterfaces(); }

  private:
    WatchNetwork& inProcess_;
    ElevatedActions& elevated_;
};

}  // namespace quillcrest
