#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "resolution/hosts_file.h"
#include "resolution/registry_stores.h"

namespace quillcrest {

// The DNS settings that decide where this PC's names go, as one portable model that the Win32 reader fills,
// the baseline file keeps and the comparison compares. Texts are UTF-8; names Windows holds as UTF-16 are kept
// as WTF-8 (unicode_text.h), so every name turns back into the very same UTF-16.

// What a read found at one place. Unreadable means the place exists but could not be read: it tells nothing
// about what is there, so it is never taken for an absent place.
enum class ReadState : std::uint8_t { Absent, Read, Unreadable };

// Values longer than this are kept by type and size only (the registry's own limit for a value in its standard
// format). Windows' resolver takes no DNS setting of that size.
constexpr std::uint32_t kLongestRegistryValue = 1024 * 1024;

// One registry value exactly as stored, so that it can be put back as it was.
struct RegistryValue {
    std::string name;
    std::uint32_t type = 0;
    // The raw bytes; empty when the value is longer than kLongestRegistryValue.
    std::string data;
    // The value's size when it is longer than kLongestRegistryValue; 0 otherwise.
    std::uint32_t oversizeBytes = 0;

    friend bool operator==(const RegistryValue& a, const RegistryValue& b) {
        return a.name == b.name && a.type == b.type && a.data == b.data && a.oversizeBytes == b.oversizeBytes;
    }
};

// One item key of a store, relative to the store's key ("" is the store's key itself; levels joined by "\").
// Read keys carry the values that count; an Unreadable key carries none and stands for everything beneath it.
struct RegistryKeyRecord {
    std::string path;
    ReadState state = ReadState::Read;
    std::vector<RegistryValue> values;

    friend bool operator==(const RegistryKeyRecord& a, const RegistryKeyRecord& b) {
        return a.path == b.path && a.state == b.state && a.values == b.values;
    }
};

// One store: the state of its key and the item keys found beneath it (none when the key is absent or
// unreadable). Keys with nothing beneath them that counts may be left out: an absent key and a key without
// values compare alike.
struct RegistryStoreSnapshot {
    ReadState state = ReadState::Absent;
    std::vector<RegistryKeyRecord> keys;

    friend bool operator==(const RegistryStoreSnapshot& a, const RegistryStoreSnapshot& b) {
        return a.state == b.state && a.keys == b.keys;
    }
};

// One network adapter's DNS servers as Windows uses them, in order (order counts).
struct AdapterDns {
    // The adapter's identifier, a GUID in braces.
    std::string id;
    // Its connection name ("Ethernet", "Wi-Fi").
    std::string name;
    std::vector<std::string> ipv6Servers;
    // Only to tell a new adapter that carries DNS servers: the IPv4 list of an adapter already known is the
    // business of the existing check, and the comparison never reports it.
    std::vector<std::string> ipv4Servers;

    friend bool operator==(const AdapterDns& a, const AdapterDns& b) {
        return a.id == b.id && a.name == b.name && a.ipv6Servers == b.ipv6Servers && a.ipv4Servers == b.ipv4Servers;
    }
};

struct AdapterSnapshot {
    // Read, or Unreadable when the adapters could not be listed (Absent is not used).
    ReadState state = ReadState::Read;
    std::vector<AdapterDns> adapters;

    friend bool operator==(const AdapterSnapshot& a, const AdapterSnapshot& b) {
        return a.state == b.state && a.adapters == b.adapters;
    }
};

// What the hosts file held. Shared and never changed once made, so that an unchanged file of several MB costs
// nothing to hand on from one read to the next.
struct HostsFileContent {
    std::uint64_t size = 0;
    // SHA-256 of the whole file, 64 lower-case hexadecimal digits.
    std::string digest;
    // The whole file, byte for byte, when it is at most kHostsFileParseLimit bytes; empty otherwise.
    std::string bytes;
    // Its entries (empty for a file over the limit, which is not parsed).
    HostsEntries entries;

    bool parsed() const { return size <= kHostsFileParseLimit; }
};

enum class HostsFileState : std::uint8_t {
    // No file at the path: Windows maps no name through it.
    Absent,
    // Read whole and parsed.
    Read,
    // Larger than kHostsFileParseLimit: known by size and digest only, so a change cannot be undone.
    TooLarge,
    // There but not readable (held open without sharing, no rights), or its folder could not be told.
    Unreadable,
};

struct HostsFileSnapshot {
    // The file's full path, from "DataBasePath" with its environment strings expanded.
    std::string path;
    HostsFileState state = HostsFileState::Absent;
    // Set for Read and TooLarge.
    std::shared_ptr<const HostsFileContent> content;

    friend bool operator==(const HostsFileSnapshot& a, const HostsFileSnapshot& b);
};

struct ResolutionSettings {
    AdapterSnapshot adapters;
    // Indexed by RegistryStore.
    std::array<RegistryStoreSnapshot, kRegistryStoreCount> stores;
    HostsFileSnapshot hosts;

    RegistryStoreSnapshot& store(RegistryStore which) { return stores[static_cast<std::size_t>(which)]; }
    const RegistryStoreSnapshot& store(RegistryStore which) const { return stores[static_cast<std::size_t>(which)]; }

    friend bool operator==(const ResolutionSettings& a, const ResolutionSettings& b) {
        return a.adapters == b.adapters && a.stores == b.stores && a.hosts == b.hosts;
    }
    friend bool operator!=(const ResolutionSettings& a, const ResolutionSettings& b) { return !(a == b); }
};

// The content of a hosts file's bytes: digest, and the bytes and entries when it is at most
// kHostsFileParseLimit bytes long.
std::shared_ptr<const HostsFileContent> HostsContentFromBytes(std::string bytes);
// The same for bytes whose digest is already known (taken while they were read).
std::shared_ptr<const HostsFileContent> HostsContentFromBytes(std::string bytes, std::string digest);
// The content of a file known by size and digest only.
std::shared_ptr<const HostsFileContent> HostsContentFromDigest(std::uint64_t size, std::string digest);

// The hosts file's folder: its path without the last part; empty when the path has no folder.
std::string HostsFolder(const HostsFileSnapshot& hosts);

// The key at relativePath in store, or null; the path compares without regard to ASCII letter case.
const RegistryKeyRecord* FindKey(const RegistryStoreSnapshot& store, const std::string& relativePath);
// The value named name, or null; compared without regard to ASCII letter case.
const RegistryValue* FindValue(const std::vector<RegistryValue>& values, const std::string& name);
const RegistryValue* FindValue(const RegistryKeyRecord& key, const std::string& name);

}  // namespace quillcrest
