#include "netconfig/ip_config_address_list_win.h"

#include "netconfig/ip_config_text.h"

namespace quillcrest {

std::vector<std::string> IpAddressTexts(const IpHelperAnswer& answer, const IP_ADDR_STRING& first) {
    std::vector<std::string> texts;
    WalkChain(answer, first, [&texts](const IP_ADDR_STRING& entry) {
        texts.push_back(FixedFieldText(entry.IpAddress.String, sizeof entry.IpAddress.String));
    });
    return texts;
}

std::vector<std::string> IpMaskTexts(const IpHelperAnswer& answer, const IP_ADDR_STRING& first) {
    std::vector<std::string> texts;
    WalkChain(answer, first, [&texts](const IP_ADDR_STRING& entry) {
        texts.push_back(FixedFieldText(entry.IpMask.String, sizeof entry.IpMask.String));
    });
    return texts;
}

}  // namespace quillcrest
