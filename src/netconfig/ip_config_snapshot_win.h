#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/exception.h"
#include "netconfig/adapter_info.h"
#include "netconfig/ip_helper_api_win.h"

namespace quillcrest {

// A refresh of the IP configuration snapshot failed in one of the platform queries. Kept as it is on purpose: the
// system's own name for this failure, E plus the name of the configuration unit, conIPConfig.
class EconIPConfigError : public Exception {
  public:
    explicit EconIPConfigError(const std::string& message) : Exception(message) {}
};

// Snapshot of the computer's IP configuration: the machine-wide network parameters and one record per network
// adapter. Created empty; only Refresh() reads the platform.
class IpConfigSnapshot {
  public:
    // Reads the real IP Helper.
    IpConfigSnapshot();
    // Reads through `api`, which must outlive the snapshot.
    explicit IpConfigSnapshot(IpHelperApi& api);

    IpConfigSnapshot(const IpConfigSnapshot&) = delete;
    IpConfigSnapshot& operator=(const IpConfigSnapshot&) = delete;

    // Network parameters first, then adapters. A failing network query raises EconIPConfigError and leaves the
    // whole snapshot as it was, without asking for adapters; a failing adapter query raises EconIPConfigError
    // with the new network parameters already in place and the previous adapters kept. A node type above the
    // named ones raises Exception("Range check error") after HostName, DomainName and ScopeID were updated.
    void Refresh();
    // The network parameters only, with the same failure as Refresh; the adapters are neither asked for nor
    // touched. What the lookup tool needs: its run depends on the DNS servers alone.
    void RefreshNetworkParams();

    std::string HostName;
    std::string DomainName;
    std::vector<std::string> DNSServers;  // resolver order, primary first
    std::string NodeType;
    std::string ScopeID;
    bool EnableRouting = false;
    bool EnableProxy = false;
    bool EnableDNS = false;
    std::vector<std::unique_ptr<TconAdapterInfo>> Adapters;

  private:
    // Both return the platform's result code; 0 means the fields were read (or there was nothing to read).
    DWORD ReadNetworkFields();
    DWORD ReadAdapters();

    IpHelperApi& api_;
};

}  // namespace quillcrest
