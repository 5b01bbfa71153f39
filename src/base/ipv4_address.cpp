#include "http/ipv4_address.h"

namespace quillcrest {
namespace {

constexpr std::size_t kMaxOctetDigits = 3;
constexpr int kMaxOctet = 255;

}  // namespace

std::optional<Ipv4Address> ParseDottedIpv4(const std::string& text) {
    Ipv4Address address;
    std::size_t pos = 0;
    for (std::size_t part = 0; part < address.octets.size(); ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.')
                return std::nullopt;
            ++pos;
        }
        int value = 0;
        std::size_t digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < kMaxOctetDigits) {
            value = value * 10 + (text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0 || value > kMaxOctet)
            return std::nullopt;
        address.octets[part] = static_cast<std::uint8_t>(value);
    }
    if (pos != text.size())
        return std::nullopt;
    return address;
}

}  // namespace quillcrest
