#pragma once

// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "netconfig/ip_helper_api_win.h"

namespace quillcrest::fakes {

struct FakeAddress {
    std::string address;
    std::string mask;
};

struct FakeNetwork {
    std::string hostName;
    std::string domainName;
    std::string scopeId;
    UINT nodeType = 0;
    UINT enableRouting = 0;
    UINT enableProxy = 0;
    UINT enableDns = 0;
    std::vector<std::string> dnsServers;
};

struct FakeAdapter {
    DWORD index = 0;
    std::string name;
    std::string description;
    std::vector<BYTE> mac;
    UINT type = 0;
    UINT dhcpEnabled = 0;
    int current = -1;  // position in `addresses`, -1 for no current address
    std::vector<FakeAddress> addresses;
    std::vector<FakeAddress> gateways;
    std::vector<FakeAddress> dhcpServers;
    std::vector<FakeAddress> primaryWins;
    std::vector<FakeAddress> secondaryWins;
    time_t leaseObtained = 0;
    time_t leaseExpires = 0;
};

// Copies like the platform does: at most the field's size, no terminator when the text fills it.
inline void CopyField(char* field, std::size_t capacity, const std::string& text) {
    std::memset(field, 0, capacity);
    std::memcpy(field, text.data(), std::min(capacity, text.size()));
}

inline std::size_t ExtraEntries(std::size_t listSize) {
    return listSize > 0 ? listSize - 1 : 0;
}

// Fills the embedded head with the first element and chains the others from `pool`, the way the platform lays
// out further entries behind the head structures. Returns the entries in chain order.
inline std::vector<IP_ADDR_STRING*> WriteChain(IP_ADDR_STRING& head,
                                        const std::vector<FakeAddress>& list,
                                        IP_ADDR_STRING*& pool) {
    std::memset(&head, 0, sizeof head);
    std::vector<IP_ADDR_STRING*> entries{&head};
    for (std::size_t i = 0; i < list.size(); ++i) {
        IP_ADDR_STRING* entry = &head;
        if (i > 0) {
            entry = pool++;
            std::memset(entry, 0, sizeof *entry);
            entries.back()->Next = entry;
            entries.push_back(entry);
        }
        CopyField(entry->IpAddress.String, sizeof entry->IpAddress.String, list[i].address);
        CopyField(entry->IpMask.String, sizeof entry->IpMask.String, list[i].mask);
    }
    return entries;
}

inline std::vector<FakeAddress> Addresses(const std::vector<std::string>& texts) {
    std::vector<FakeAddress> list;
    for (const std::string& text : texts)
        list.push_back({text, ""});
    return list;
}

// Answers like IP Helper from a described configuration: size probe, overflow when the buffer is short, the
// structures written into the caller's buffer with pointers into that same buffer. Any call's result can be
// scripted instead.
class FakeIpHelper : public IpHelperApi {
  public:
    FakeNetwork network;
    std::vector<FakeAdapter> adapters;
    bool loopDnsChain = false;

    std::optional<DWORD> networkProbeResult;
    std::optional<DWORD> networkReadResult;
    // Answers by call number, ahead of everything else; kAnswerNormally (or a call past the end) behaves.
    static constexpr DWORD kAnswerNormally = 0xFFFFFFFF;
    std::vector<DWORD> networkResultsByCall;
    // When non-zero, the size GetNetworkParams asks for instead of the size the servers need.
    ULONG networkClaimedSize = 0;
    // Runs on the filled FIXED_INFO of a successful GetNetworkParams, to plant broken links.
    std::function<void(FIXED_INFO&)> afterNetworkWrite;
    // Runs on the filled adapter list of a successful GetAdaptersInfo.
    std::function<void(IP_ADAPTER_INFO*)> afterAdaptersWrite;
    std::optional<DWORD> adaptersProbeResult;
    std::optional<DWORD> adaptersReadResult;

    LONG bias = 0;
    LONG daylightBias = 0;
    DWORD timeZoneResult = TIME_ZONE_ID_STANDARD;

    std::vector<std::string> calls;  // IP Helper calls: name, whether a buffer came, the size offered
    bool adaptersBufferArrivedZeroed = false;

    ULONG NetworkSize() const {
        if (networkClaimedSize)
            return networkClaimedSize;
        return static_cast<ULONG>(sizeof(FIXED_INFO) +
                                  ExtraEntries(network.dnsServers.size()) * sizeof(IP_ADDR_STRING));
    }

    ULONG AdaptersSize() const {
        std::size_t extra = 0;
        for (const FakeAdapter& a : adapters) {
            extra += ExtraEntries(a.addresses.size()) + ExtraEntries(a.gateways.size()) +
                     ExtraEntries(a.dhcpServers.size()) + ExtraEntries(a.primaryWins.size()) +
                     ExtraEntries(a.secondaryWins.size());
        }
        return static_cast<ULONG>(adapters.size() * sizeof(IP_ADAPTER_INFO) + extra * sizeof(IP_ADDR_STRING));
    }

    DWORD GetNetworkParams(FIXED_INFO* buffer, ULONG* size) override {
        const std::size_t call = CallsTo("GetNetworkParams");
        Record("GetNetworkParams", buffer, *size);
        if (call < networkResultsByCall.size() && networkResultsByCall[call] != kAnswerNormally)
            return networkResultsByCall[call];
        const ULONG required = NetworkSize();
        if (const std::optional<DWORD>& scripted = buffer ? networkReadResult : networkProbeResult) {
            if (!buffer)
                *size = required;
            return *scripted;
        }
        if (!buffer || *size < required) {
            *size = required;
            return ERROR_BUFFER_OVERFLOW;
        }
        // A claimed size below FIXED_INFO (as 32-bit programs lay it out) gets the structure's first bytes only:
        // a single server's entry fits there, the fields behind it do not.
        if (*size < sizeof(FIXED_INFO)) {
            FIXED_INFO whole{};
            FillNetwork(&whole);
            whole.CurrentDnsServer = nullptr;
            std::memcpy(buffer, &whole, *size);
            return ERROR_SUCCESS;
        }
        FillNetwork(buffer);
        return ERROR_SUCCESS;
    }

    DWORD GetAdaptersInfo(IP_ADAPTER_INFO* buffer, ULONG* size) override {
        Record("GetAdaptersInfo", buffer, *size);
        const ULONG required = AdaptersSize();
        if (const std::optional<DWORD>& scripted = buffer ? adaptersReadResult : adaptersProbeResult) {
            if (!buffer)
                *size = required;
            return *scripted;
        }
        if (adapters.empty())
            return ERROR_NO_DATA;
        if (!buffer || *size < required) {
            *size = required;
            return ERROR_BUFFER_OVERFLOW;
        }
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer);
        adaptersBufferArrivedZeroed = std::all_of(bytes, bytes + *size, [](unsigned char b) { return b == 0; });

        auto* pool = reinterpret_cast<IP_ADDR_STRING*>(buffer + adapters.size());
        for (std::size_t i = 0; i < adapters.size(); ++i) {
            const FakeAdapter& a = adapters[i];
            IP_ADAPTER_INFO& entry = buffer[i];
            std::memset(&entry, 0, sizeof entry);
            entry.Next = i + 1 < adapters.size() ? &buffer[i + 1] : nullptr;
            entry.ComboIndex = a.index;
            CopyField(entry.AdapterName, sizeof entry.AdapterName, a.name);
            CopyField(entry.Description, sizeof entry.Description, a.description);
            entry.AddressLength = static_cast<UINT>(a.mac.size());
            std::copy(a.mac.begin(), a.mac.end(), entry.Address);
            entry.Index = a.index;
            entry.Type = a.type;
            entry.DhcpEnabled = a.dhcpEnabled;
            const std::vector<IP_ADDR_STRING*> ips = WriteChain(entry.IpAddressList, a.addresses, pool);
            entry.CurrentIpAddress = a.current >= 0 ? ips[a.current] : nullptr;
            WriteChain(entry.GatewayList, a.gateways, pool);
            WriteChain(entry.DhcpServer, a.dhcpServers, pool);
            entry.HaveWins = !a.primaryWins.empty();
            WriteChain(entry.PrimaryWinsServer, a.primaryWins, pool);
            WriteChain(entry.SecondaryWinsServer, a.secondaryWins, pool);
            entry.LeaseObtained = a.leaseObtained;
            entry.LeaseExpires = a.leaseExpires;
        }
        if (afterAdaptersWrite)
            afterAdaptersWrite(buffer);
        return ERROR_SUCCESS;
    }

    DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* zone) override {
        *zone = TIME_ZONE_INFORMATION{};
        zone->Bias = bias;
        zone->DaylightBias = daylightBias;
        return timeZoneResult;
    }

    std::string SystemMessage(DWORD code) override { return "text for " + std::to_string(code); }

    std::size_t CallsTo(const std::string& name) const {
        return std::count_if(calls.begin(), calls.end(),
                             [&name](const std::string& call) { return call.rfind(name, 0) == 0; });
    }

  private:
    void FillNetwork(FIXED_INFO* buffer) {
        std::memset(buffer, 0, sizeof(FIXED_INFO));
        CopyField(buffer->HostName, sizeof buffer->HostName, network.hostName);
        CopyField(buffer->DomainName, sizeof buffer->DomainName, network.domainName);
        CopyField(buffer->ScopeId, sizeof buffer->ScopeId, network.scopeId);
        buffer->NodeType = network.nodeType;
        buffer->EnableRouting = network.enableRouting;
        buffer->EnableProxy = network.enableProxy;
        buffer->EnableDns = network.enableDns;
        auto* pool = reinterpret_cast<IP_ADDR_STRING*>(buffer + 1);
        // Masks right behind the addresses are not NUL, so an address without its terminator would run on.
        std::vector<FakeAddress> servers;
        for (const std::string& server : network.dnsServers)
            servers.push_back({server, "255.255.255.255"});
        std::vector<IP_ADDR_STRING*> chain = WriteChain(buffer->DnsServerList, servers, pool);
        buffer->CurrentDnsServer = chain.front();
        if (loopDnsChain)
            chain.back()->Next = &buffer->DnsServerList;
        if (afterNetworkWrite)
            afterNetworkWrite(*buffer);
    }

    void Record(const char* name, const void* buffer, ULONG size) {
        calls.push_back(std::string(name) + (buffer ? "(buffer, " : "(null, ") + std::to_string(size) + ")");
    }
};

}  // namespace quillcrest::fakes
