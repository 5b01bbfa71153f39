#include "resolution/registry_stores.h"

#include "base/ascii_case.h"

namespace quillcrest {
namespace {

constexpr char kNameSeparator = '|';
constexpr char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services";
constexpr char kPoliciesKey[] = "SOFTWARE\\Policies";

// Keys that exist on every Windows: watching never falls back further than these.
constexpr const char* kAlwaysPresentKeys[] = {kServicesKey, kPoliciesKey};

bool IsBeneath(const std::string& path, const std::string& ancestor) {
    return path.size() > ancestor.size() && path[ancestor.size()] == '\\' &&
           StartsWithIgnoringAsciiCase(path, ancestor);
}

}  // namespace

const std::array<RegistryStoreDefinition, kRegistryStoreCount>& RegistryStoreDefinitions() {
    static const std::array<RegistryStoreDefinition, kRegistryStoreCount> definitions = {{
        {RegistryStore::StaticIpv6Servers,
         "static-ipv6-servers",
         "SYSTEM\\CurrentControlSet\\Services\\Tcpip6\\Parameters\\Interfaces",
         {"*"},
         {"NameServer"}},
        {RegistryStore::PolicyClient,
         "policy-client",
         "SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient",
         {},
         {"NameServer", "DoHPolicy"}},
        {RegistryStore::PolicyRules,
         "policy-rules",
         "SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient\\DnsPolicyConfig",
         {"*"},
         {}},
        {RegistryStore::LocalRules,
         "local-rules",
         "SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters\\DnsPolicyConfig",
         {"*"},
         {}},
        {RegistryStore::DohWellKnownServers,
         "doh-well-known-servers",
         "SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters\\DohWellKnownServers",
         {"*"},
         {}},
        {RegistryStore::InterfaceDoh,
         "interface-doh",
         "SYSTEM\\CurrentControlSet\\Services\\Dnscache\\InterfaceSpecificParameters",
         {"*", "DohInterfaceSettings", "Doh|Doh6", "*"},
         {}},
        {RegistryStore::TcpipParameters,
         "tcpip-parameters",
         "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters",
         {},
         {"DataBasePath"}},
    }};
    return definitions;
}

const RegistryStoreDefinition& Definition(RegistryStore store) {
    return RegistryStoreDefinitions()[static_cast<std::size_t>(store)];
}

std::string StoreItemKeyPath(RegistryStore store, const std::string& relativePath) {
    std::string path = Definition(store).keyPath;
    if (!relativePath.empty())
        path += "\\" + relativePath;
    return path;
}

std::vector<std::string> LevelNames(const char* level) {
    std::vector<std::string> names;
    std::string name;
    for (const char* c = level;; ++c) {
        if (*c == kNameSeparator || *c == '\0') {
            names.push_back(name);
            name.clear();
            if (*c == '\0')
                return names;
        } else {
            name += *c;
        }
    }
}

bool IsStoreItemPath(RegistryStore store, const std::string& relativePath) {
    const std::vector<const char*>& levels = Definition(store).itemLevels;
    if (levels.empty())
        return relativePath.empty();
    std::size_t start = 0;
    for (std::size_t level = 0; level < levels.size(); ++level) {
        const std::size_t end = level + 1 == levels.size() ? relativePath.size() : relativePath.find('\\', start);
        if (end == std::string::npos || end == start)
            return false;
        const std::string part = relativePath.substr(start, end - start);
        if (part.find('\\') != std::string::npos)
            return false;
        if (std::string(levels[level]) != kEverySubkeyLevel) {
            bool named = false;
            for (const std::string& name : LevelNames(levels[level]))
                named = named || EqualIgnoringAsciiCase(part, name);
            if (!named)
                return false;
        }
        start = end + 1;
    }
    return true;
}

std::vector<std::vector<std::string>> ResolutionKeysToWatch() {
    std::vector<std::string> keys;
    for (const RegistryStoreDefinition& definition : RegistryStoreDefinitions()) {
        const std::string path = definition.keyPath;
        bool covered = false;
        for (const RegistryStoreDefinition& other : RegistryStoreDefinitions())
            covered = covered || IsBeneath(path, other.keyPath);
        if (!covered)
            keys.push_back(path);
    }
    std::vector<std::vector<std::string>> watched;
    for (const std::string& key : keys) {
        std::vector<std::string> choices{key};
        std::string path = key;
        for (;;) {
            bool atFloor = false;
            for (const char* floor : kAlwaysPresentKeys)
                atFloor = atFloor || EqualIgnoringAsciiCase(path, floor);
            const std::size_t separator = path.rfind('\\');
            if (atFloor || separator == std::string::npos)
                break;
            path.resize(separator);
            choices.push_back(path);
        }
        watched.push_back(std::move(choices));
    }
    return watched;
}

}  // namespace quillcrest
