#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "resolution/registry_value_text.h"
#include "resolution/resolution_settings.h"
#include "resolution/unicode_text.h"
#include "settings/registry_api.h"

namespace quillcrest::fakes {

// Registry data of the usual forms, built from readable text.
inline std::string SzData(const std::string& text) {
    return *StringDataOf(text);
}
inline std::string MultiSzData(const std::vector<std::string>& strings) {
    return *MultiStringDataOf(strings);
}
inline std::string DwordData(std::uint32_t number) {
    return NumberDataOf(kRegDword, number);
}

// Settings as a test describes them, one source at a time:
//   Machine().Adapter("{A}", "Ethernet", {"fd00::53"}).Sz(RegistryStore::LocalRules, "{R}", "GenericDNSServers",
//   "10.0.0.1").Hosts("127.0.0.1 localhost\r\n").settings
// Every store starts absent and turns read with its first key.
struct Machine {
    ResolutionSettings settings;

    Machine() { settings.hosts.path = "C:\\Windows\\System32\\drivers\\etc\\hosts"; }

    Machine& Adapter(const std::string& id,
                     const std::string& name,
                     std::vector<std::string> ipv6,
                     std::vector<std::string> ipv4 = {}) {
        settings.adapters.adapters.push_back(AdapterDns{id, name, std::move(ipv6), std::move(ipv4)});
        return *this;
    }
    Machine& AdaptersUnreadable() {
        settings.adapters = AdapterSnapshot{ReadState::Unreadable, {}};
        return *this;
    }

    RegistryKeyRecord& Key(RegistryStore store, const std::string& path) {
        RegistryStoreSnapshot& snapshot = settings.store(store);
        snapshot.state = ReadState::Read;
        for (RegistryKeyRecord& key : snapshot.keys) {
            if (key.path == path)
                return key;
        }
        snapshot.keys.push_back(RegistryKeyRecord{path, ReadState::Read, {}});
        return snapshot.keys.back();
    }
    // Sets the value, replacing one of the same name.
    Machine& Value(RegistryStore store,
                   const std::string& path,
                   const std::string& name,
                   std::uint32_t type,
                   std::string data) {
        std::vector<RegistryValue>& values = Key(store, path).values;
        for (RegistryValue& value : values) {
            if (value.name == name) {
                value = RegistryValue{name, type, std::move(data), 0};
                return *this;
            }
        }
        values.push_back(RegistryValue{name, type, std::move(data), 0});
        return *this;
    }
    Machine& Sz(RegistryStore store, const std::string& path, const std::string& name, const std::string& text) {
        return Value(store, path, name, kRegSz, SzData(text));
    }
    Machine& Dword(RegistryStore store, const std::string& path, const std::string& name, std::uint32_t number) {
        return Value(store, path, name, kRegDword, DwordData(number));
    }
    // A name resolution rule of store for namespace with its servers.
    Machine& Rule(RegistryStore store, const std::string& key, const std::string& space, const std::string& servers) {
        Value(store, key, "Name", kRegMultiSz, MultiSzData({space}));
        return Sz(store, key, "GenericDNSServers", servers);
    }
    Machine& UnreadableKey(RegistryStore store, const std::string& path) {
        RegistryKeyRecord& key = Key(store, path);
        key.state = ReadState::Unreadable;
        key.values.clear();
        return *this;
    }
    Machine& UnreadableStore(RegistryStore store) {
        settings.store(store) = RegistryStoreSnapshot{ReadState::Unreadable, {}};
        return *this;
    }

    Machine& Hosts(std::string bytes) {
        settings.hosts.state = HostsFileState::Read;
        settings.hosts.content = HostsContentFromBytes(std::move(bytes));
        return *this;
    }
    Machine& HostsTooLarge(std::uint64_t size, const std::string& digest) {
        settings.hosts.state = HostsFileState::TooLarge;
        settings.hosts.content = HostsContentFromDigest(size, digest);
        return *this;
    }
    Machine& NoHosts() {
        settings.hosts.state = HostsFileState::Absent;
        settings.hosts.content.reset();
        return *this;
    }
    Machine& HostsUnreadable() {
        settings.hosts.state = HostsFileState::Unreadable;
        settings.hosts.content.reset();
        return *this;
    }
};

}  // namespace quillcrest::fakes
