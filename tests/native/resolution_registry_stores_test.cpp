#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resolution/registry_stores.h"
#include "support/row_name.h"

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

struct ItemPathRow {
    const char* name;
    RegistryStore store;
    std::string path;
    bool isItem;
};

// What a change of the registry may name: an item key of a store and nothing beside or above it.
const ItemPathRow kItemPathRows[] = {
    {"Rule_key", RegistryStore::LocalRules, "{A5000000-0000-4000-8000-000000000001}", true},
    {"Store_key_itself_of_a_store_with_items", RegistryStore::LocalRules, "", false},
    {"Key_beneath_a_rule", RegistryStore::PolicyRules, "{A}\\sub", false},
    {"Empty_part", RegistryStore::DohWellKnownServers, "\\192.0.2.1", false},
    {"Adapter_template", RegistryStore::InterfaceDoh, "{A}\\DohInterfaceSettings\\Doh6\\2001:db8::1", true},
    {"Fixed_level_in_other_letter_case", RegistryStore::InterfaceDoh, "{A}\\dohinterfacesettings\\DOH\\x", true},
    {"Fixed_level_of_another_name", RegistryStore::InterfaceDoh, "{A}\\DohInterfaceSettings\\Doh7\\x", false},
    {"Adapter_key_above_its_templates", RegistryStore::InterfaceDoh, "{A}", false},
    {"Template_with_a_level_too_many", RegistryStore::InterfaceDoh, "{A}\\DohInterfaceSettings\\Doh\\x\\y", false},
    {"Store_whose_key_is_its_item", RegistryStore::PolicyClient, "", true},
    {"Subkey_of_a_store_whose_key_is_its_item", RegistryStore::TcpipParameters, "Interfaces", false},
};

class ResolutionStoreItemPathTest : public ::testing::TestWithParam<ItemPathRow> {};

TEST_P(ResolutionStoreItemPathTest, TellsItemKeysFromOthers) {
    const ItemPathRow& row = GetParam();
    SCOPED_TRACE(row.path);
    EXPECT_EQ(IsStoreItemPath(row.store, row.path), row.isItem);
}

INSTANTIATE_TEST_SUITE_P(Paths, ResolutionStoreItemPathTest, ::testing::ValuesIn(kItemPathRows), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

}  // namespace
}  // namespace quillcrest
