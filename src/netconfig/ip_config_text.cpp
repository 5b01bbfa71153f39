#include "netconfig/ip_config_text.h"

#include <algorithm>
#include <array>

#include "base/exception.h"

namespace quillcrest {

namespace {

// Index is the node type; the gaps between the defined types have no name.
constexpr std::array<const char*, kMaxNodeType + 1> kNodeTypeNames = {
    "UNKNOWN", "Broadcast", "Peer To Peer", "", "Mixed", "", "", "", "Hybrid",
};

struct AdapterTypeEntry {
    unsigned type;
    const char* name;
};

constexpr AdapterTypeEntry kAdapterTypeNames[] = {
    {1, "Other"}, {6, "Ethernet"}, {9, "Token Ring"}, {15, "FDDI"}, {23, "PPP"}, {24, "Loopback"}, {28, "SLIP"},
};

constexpr char kUnknownAdapterType[] = "UNKNOWN";
constexpr char kNoHardwareAddress[] = "00-00-00-00-00-00";
constexpr char kRangeError[] = "Range check error";
constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= static_cast<unsigned char>(' ');
}

}  // namespace

std::string NodeTypeName(unsigned nodeType) {
    if (nodeType > kMaxNodeType)
        throw Exception(kRangeError);
    return kNodeTypeNames[nodeType];
}

std::string AdapterTypeName(unsigned type) {
    for (const AdapterTypeEntry& entry : kAdapterTypeNames) {
        if (entry.type == type)
            return entry.name;
    }
    return kUnknownAdapterType;
}

std::string MacAddressText(const std::uint8_t (&address)[kMaxAdapterAddressLength], std::size_t length) {
    if (length == 0)
        return kNoHardwareAddress;
    length = std::min(length, kMaxAdapterAddressLength);
    std::string text;
    text.reserve(length * 3);
    for (std::size_t i = 0; i < length; ++i) {
        if (i > 0)
            text += '-';
        text += kHexDigits[address[i] >> 4];
        text += kHexDigits[address[i] & 0x0F];
    }
    return text;
}

std::string TrimText(const std::string& text) {
    const auto first = std::find_if_not(text.begin(), text.end(), IsBlankOrControl);
    const auto last = std::find_if_not(text.rbegin(), std::string::const_reverse_iterator(first), IsBlankOrControl);
    return std::string(first, last.base());
}

std::string FixedFieldText(const char* field, std::size_t capacity) {
    return std::string(field, std::find(field, field + capacity, '\0'));
}

}  // namespace quillcrest
