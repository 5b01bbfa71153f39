#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace quillcrest {

// The registry places under HKEY_LOCAL_MACHINE that decide where names go, besides each adapter's own servers.
enum class RegistryStore : std::size_t {
    // Tcpip6\Parameters\Interfaces\{id}: "NameServer", the IPv6 servers set on this PC for one adapter.
    StaticIpv6Servers,
    // Policies\Microsoft\Windows NT\DNSClient: "NameServer" (servers that override the adapters') and
    // "DoHPolicy".
    PolicyClient,
    // Policies\Microsoft\Windows NT\DNSClient\DnsPolicyConfig\<rule>: name resolution rules set by policy.
    PolicyRules,
    // Dnscache\Parameters\DnsPolicyConfig\<rule>: name resolution rules set on this PC.
    LocalRules,
    // Dnscache\Parameters\DohWellKnownServers\<address>: the encrypted-DNS template of a server address.
    DohWellKnownServers,
    // Dnscache\InterfaceSpecificParameters\{id}\DohInterfaceSettings\Doh (and Doh6)\<address>: an adapter's
    // encrypted-DNS setting for one of its servers.
    InterfaceDoh,
    // Tcpip\Parameters: "DataBasePath", the folder of the hosts file.
    TcpipParameters,
};

constexpr std::size_t kRegistryStoreCount = 7;

// The item level that takes every subkey.
constexpr char kEverySubkeyLevel[] = "*";

struct RegistryStoreDefinition {
    RegistryStore store;
    // The store's name in the baseline file.
    const char* token;
    // The store's key under HKEY_LOCAL_MACHINE.
    const char* keyPath;
    // The levels of subkeys below keyPath where the store's items are: "*" for every subkey, otherwise the
    // subkey names allowed at that level, separated by "|". Empty: the store's key itself is the one item.
    std::vector<const char*> itemLevels;
    // The values that count in an item; empty: every value.
    std::vector<const char*> valueNames;
};

// Every store, in the order of RegistryStore.
const std::array<RegistryStoreDefinition, kRegistryStoreCount>& RegistryStoreDefinitions();
const RegistryStoreDefinition& Definition(RegistryStore store);

// The full key path of an item of store (relative path "" is the store's key).
std::string StoreItemKeyPath(RegistryStore store, const std::string& relativePath);

// The names a fixed level of itemLevels allows ("Doh|Doh6" gives "Doh" and "Doh6").
std::vector<std::string> LevelNames(const char* level);

// Whether relativePath names an item key of store: "" for a store whose key is its one item, otherwise as many
// non-empty parts as the store has item levels, each part of a fixed level one of its names (ASCII case aside).
// Whatever changes the registry checks this first, so that no text can name a key beside or above an item.
bool IsStoreItemPath(RegistryStore store, const std::string& relativePath);

// The keys to watch for a change of any store, each with its parents down to one that always exists, nearest
// first: a key that does not exist yet is watched through the nearest parent that does. A store beneath
// another store's key is covered by that key and has no entry of its own.
std::vector<std::vector<std::string>> ResolutionKeysToWatch();

}  // namespace quillcrest
