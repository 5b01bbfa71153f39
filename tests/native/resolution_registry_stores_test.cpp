#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resolution/registry_stores.h"

namespace quillcrest {
namespace {

// Each watched key falls back to its parents down to a key every Windows has; a store beneath another store's
// key (the policy rules beneath the policy's DNSClient key) is watched through that key.
TEST(ResolutionRegistryStoresTest, KeysToWatchFallBackToTheirNearestParents) {
    const std::string services = "SYSTEM\\CurrentControlSet\\Services";
    const std::vector<std::vector<std::string>> expected = {
        {services + "\\Tcpip6\\Parameters\\Interfaces", services + "\\Tcpip6\\Parameters", services + "\\Tcpip6",
         services},
        {"SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient", "SOFTWARE\\Policies\\Microsoft\\Windows NT",
         "SOFTWARE\\Policies\\Microsoft", "SOFTWARE\\Policies"},
        {services + "\\Dnscache\\Parameters\\DnsPolicyConfig", services + "\\Dnscache\\Parameters",
         services + "\\Dnscache", services},
        {services + "\\Dnscache\\Parameters\\DohWellKnownServers", services + "\\Dnscache\\Parameters",
         services + "\\Dnscache", services},
        {services + "\\Dnscache\\InterfaceSpecificParameters", services + "\\Dnscache", services},
        {services + "\\Tcpip\\Parameters", services + "\\Tcpip", services},
    };
    EXPECT_EQ(ResolutionKeysToWatch(), expected);
}

TEST(ResolutionRegistryStoresTest, ItemKeyPathsJoinTheStoreKey) {
    EXPECT_EQ(StoreItemKeyPath(RegistryStore::LocalRules, ""),
              "SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters\\DnsPolicyConfig");
    EXPECT_EQ(StoreItemKeyPath(RegistryStore::InterfaceDoh, "{A}\\DohInterfaceSettings\\Doh\\192.0.2.1"),
              "SYSTEM\\CurrentControlSet\\Services\\Dnscache\\InterfaceSpecificParameters\\{A}\\DohInterfaceSettings"
              "\\Doh\\192.0.2.1");
    for (const RegistryStoreDefinition& definition : RegistryStoreDefinitions())
        EXPECT_EQ(&Definition(definition.store), &definition) << definition.token;
}

}  // namespace
}  // namespace quillcrest
