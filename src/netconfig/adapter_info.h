#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "netconfig/ip_config_lease_time.h"

namespace quillcrest {

// One network adapter of the IP configuration snapshot. Address lists keep the platform's order; position k of
// SubnetMasks belongs to position k of IPAddresses.
struct TconAdapterInfo {
    std::uint32_t Index = 0;
    std::string AdapterName;
    std::string Description;
    std::string MACAddress;
    std::string AdapterType;
    bool DHCPEnabled = false;
    std::string CurrentIPAddress;
    std::string CurrentSubnetMask;
    std::vector<std::string> IPAddresses;
    std::vector<std::string> SubnetMasks;
    std::vector<std::string> Gateways;
    std::vector<std::string> DHCPServers;
    std::vector<std::string> PrimaryWINSServers;
    std::vector<std::string> SecondaryWINSServers;
    LocalDateTime LeaseObtained;
    LocalDateTime LeaseExpires;
};

}  // namespace quillcrest
