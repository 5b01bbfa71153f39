#include "netconfig/adapter_info_win.h"

#include "netconfig/ip_config_address_list_win.h"
#include "netconfig/ip_config_text.h"

namespace quillcrest {

namespace {

static_assert(kMaxAdapterAddressLength == MAX_ADAPTER_ADDRESS_LENGTH,
              "the hardware address rule must cover the platform's whole address array");

// Shown for the current address and mask of an adapter that has no current address.
constexpr char kNoCurrentAddress[] = "000.000.000.000";

LocalDateTime LeaseTime(time_t value, IpHelperApi& api) {
    TIME_ZONE_INFORMATION zone{};
    if (api.GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID)
        zone = TIME_ZONE_INFORMATION{};  // A failed query may leave half-written fields: treat it as UTC.
    return LeaseTimeToLocal(static_cast<std::int64_t>(value), zone.Bias, zone.DaylightBias);
}

}  // namespace

std::unique_ptr<TconAdapterInfo> ReadAdapterInfo(const IpHelperAnswer& answer,
                                                 const IP_ADAPTER_INFO& entry,
                                                 IpHelperApi& api) {
    auto info = std::make_unique<TconAdapterInfo>();
    info->Index = entry.Index;
    info->AdapterName = TrimText(FixedFieldText(entry.AdapterName, sizeof entry.AdapterName));
    info->Description = TrimText(FixedFieldText(entry.Description, sizeof entry.Description));
    info->MACAddress = MacAddressText(entry.Address, entry.AddressLength);
    info->AdapterType = AdapterTypeName(entry.Type);
    info->DHCPEnabled = entry.DhcpEnabled != 0;
    if (const IP_ADDR_STRING* current = answer.Follow<IP_ADDR_STRING>(entry.CurrentIpAddress)) {
        info->CurrentIPAddress = FixedFieldText(current->IpAddress.String, sizeof current->IpAddress.String);
        info->CurrentSubnetMask = FixedFieldText(current->IpMask.String, sizeof current->IpMask.String);
    } else {
        info->CurrentIPAddress = kNoCurrentAddress;
        info->CurrentSubnetMask = kNoCurrentAddress;
    }
    info->IPAddresses = IpAddressTexts(answer, entry.IpAddressList);
    info->SubnetMasks = IpMaskTexts(answer, entry.IpAddressList);
    info->Gateways = IpAddressTexts(answer, entry.GatewayList);
    info->DHCPServers = IpAddressTexts(answer, entry.DhcpServer);
    info->PrimaryWINSServers = IpAddressTexts(answer, entry.PrimaryWinsServer);
    info->SecondaryWINSServers = IpAddressTexts(answer, entry.SecondaryWinsServer);
    info->LeaseObtained = LeaseTime(entry.LeaseObtained, api);
    info->LeaseExpires = LeaseTime(entry.LeaseExpires, api);
    return info;
}

}  // namespace quillcrest
