#include "base/ipv4_address.h"

namespace quillcrest {
namespace {

constexpr std::size_t kMaxOctetDigits = 3;
constexpr int kMaxOctet = 255;

// The one reader of both forms; canonicalOnly refuses a number that starts with a zero and goes on.
std::optional<Ipv4Address> ReadDottedIpv4(std::string_view text, bool canonicalOnly) {
    Ipv4Address address;
    std::size_t pos = 0;
    for (std::size_t part = 0; part < address.octets.size(); ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.')
                return std::nullopt;
            ++pos;
        }
        const std::size_t start = pos;
        int value = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < kMaxOctetDigits) {
            value = value * 10 + (text[pos] - '0');
            ++pos;
        }
        const std::size_t digits = pos - start;
        if (digits == 0 || value > kMaxOctet)
            return std::nullopt;
        if (canonicalOnly && digits > 1 && text[start] == '0')
            return std::nullopt;
        address.octets[part] = static_cast<std::uint8_t>(value);
    }
    if (pos != text.size())
        return std::nullopt;
    return address;
}

}  // namespace

std::optional<Ipv4Address> ParseDottedIpv4(std::string_view text) {
    return ReadDottedIpv4(text, false);
}

bool IsCanonicalDottedIpv4(std::string_view text) {
    return ReadDottedIpv4(text, true).has_value();
}

}  // namespace quillcrest
