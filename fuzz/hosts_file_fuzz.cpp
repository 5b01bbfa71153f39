// Feeds arbitrary bytes to the hosts file reader and checks what must hold for every file: the entries are
// addresses and names as defined, the same bytes always read the same, and a file read twice, or kept in the
// baseline file and read back, is no change.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "resolution/dns_baseline_file.h"
#include "resolution/hosts_file.h"
#include "resolution/ip_address_text.h"
#include "resolution/resolution_comparison.h"

namespace {

using namespace quillcrest;

void Require(bool condition) {
    if (!condition)
        std::abort();
}

bool IsNameByte(char c) {
    return c != ' ' && c != '\t' && c != '\v' && c != '\f' && c != '\0' && c != '\r' && c != '\n' && c != '#' &&
           !(c >= 'A' && c <= 'Z');
}

ResolutionSettings WithHostsFile(const std::string& bytes) {
    ResolutionSettings settings;
    settings.hosts.path = "C:\\Windows\\System32\\drivers\\etc\\hosts";
    settings.hosts.state = HostsFileState::Read;
    settings.hosts.content = HostsContentFromBytes(bytes);
    return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const HostsEntries entries = ParseHostsFile(bytes);
    Require(ParseHostsFile(bytes) == entries);
    for (const HostsEntry& entry : entries) {
        Require(IsStrictIpv4Address(entry.address) || IsIpv6Address(entry.address));
        Require(!entry.names.empty());
        for (std::size_t i = 0; i < entry.names.size(); ++i) {
            const std::string& name = entry.names[i];
            Require(!name.empty() && name.size() <= kLongestHostName);
            for (char c : name)
                Require(IsNameByte(c));
            for (std::size_t j = 0; j < i; ++j)
                Require(entry.names[j] != name);
        }
    }
    for (const auto& [name, addresses] : AddressesByHostName(entries))
        Require(!name.empty() && !addresses.empty());

    const ResolutionSettings first = WithHostsFile(bytes);
    Require(CompareResolutionSettings(first, WithHostsFile(bytes)).empty());
    const DnsBaselineReading kept = ParseDnsBaseline(SerializeDnsBaseline(first));
    Require(kept.status == DnsBaselineStatus::Read);
    Require(kept.settings == first);
    Require(CompareResolutionSettings(kept.settings, first).empty());
    return 0;
}
