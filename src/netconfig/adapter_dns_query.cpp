#include "netconfig/adapter_dns_query.h"

namespace quillcrest {

std::string AdapterDnsQuery(const std::string& settingId) {
    // Identifiers come from the registry as well as from WMI; a quote or backslash in one must stay inside
    // the WQL string literal instead of ending it or escaping the closing quote.
    std::string literal;
    literal.reserve(settingId.size());
    for (char c : settingId) {
        if (c == '\\' || c == '\'')
            literal += '\\';
        literal += c;
    }
    return "Select * from Win32_NetworkAdapterConfiguration where IPEnabled=TRUE AND SettingID='" + literal + "'";
}

}  // namespace quillcrest
