#include "resolution/ip_address_text.h"

#include <cstddef>

#include "base/hex_digits.h"
#include "base/ipv4_address.h"
#include "resolution/number_text.h"

namespace quillcrest {
namespace {

constexpr std::size_t kIpv4Parts = 4;
constexpr std::size_t kIpv6Groups = 8;
constexpr std::size_t kLongestIpv6Group = 4;
constexpr std::size_t kLongestZone = 10;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The groups part of an IPv6 text, without its zone: groups separated by ":", each one to four hexadecimal
// digits, or the strict IPv4 form as the last part.
bool IsIpv6Groups(std::string_view text) {
    const std::size_t gap = text.find("::");
    if (gap != std::string_view::npos && text.find("::", gap + 1) != std::string_view::npos)
        return false;
    std::size_t groups = 0;
    // Counts the groups of one side of the gap; an empty side has none.
    auto countSide = [&groups](std::string_view side, bool mayEndInIpv4) {
        if (side.empty())
            return true;
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = side.find(':', start);
            const std::string_view group = side.substr(start, end == std::string_view::npos ? side.npos : end - start);
            if (end == std::string_view::npos && mayEndInIpv4 && group.find('.') != std::string_view::npos) {
                if (!IsStrictIpv4Address(group))
                    return false;
                groups += 2;
                return true;
            }
            if (group.empty() || group.size() > kLongestIpv6Group)
                return false;
            for (char c : group) {
                if (!IsHexDigit(c))
                    return false;
            }
            ++groups;
            if (end == std::string_view::npos)
                return true;
            start = end + 1;
        }
    };
    if (gap == std::string_view::npos)
        return countSide(text, true) && groups == kIpv6Groups;
    return countSide(text.substr(0, gap), false) && countSide(text.substr(gap + 2), true) && groups < kIpv6Groups;
}

}  // namespace

bool IsStrictIpv4Address(std::string_view text) {
    return ParseDottedIpv4(text).has_value();
}

bool IsIpv6Address(std::string_view text) {
    const std::size_t percent = text.find('%');
    if (percent != std::string_view::npos) {
        const std::string_view zone = text.substr(percent + 1);
        if (zone.empty() || zone.size() > kLongestZone)
            return false;
        for (char c : zone) {
            if (!IsDigit(c))
                return false;
        }
        text = text.substr(0, percent);
    }
    return text.find(':') != std::string_view::npos && IsIpv6Groups(text);
}

std::string Ipv4Text(const std::uint8_t (&bytes)[4]) {
    std::string text;
    for (std::size_t i = 0; i < kIpv4Parts; ++i) {
        if (i > 0)
            text += '.';
        text += std::to_string(bytes[i]);
    }
    return text;
}

std::string Ipv6Text(const std::uint8_t (&bytes)[16]) {
    unsigned groups[kIpv6Groups];
    for (std::size_t i = 0; i < kIpv6Groups; ++i)
        groups[i] = (unsigned{bytes[2 * i]} << 8) | bytes[2 * i + 1];
    // The longest run of zero groups, if it is at least two long.
    std::size_t bestStart = kIpv6Groups, bestLength = 1;
    for (std::size_t i = 0; i < kIpv6Groups;) {
        if (groups[i] != 0) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < kIpv6Groups && groups[end] == 0)
            ++end;
        if (end - i > bestLength) {
            bestStart = i;
            bestLength = end - i;
        }
        i = end;
    }
    std::string text;
    for (std::size_t i = 0; i < kIpv6Groups;) {
        if (i == bestStart) {
            text += "::";
            i += bestLength;
            continue;
        }
        if (!text.empty() && text.back() != ':')
            text += ':';
        bool started = false;
        for (int shift = 12; shift >= 0; shift -= 4) {
            const unsigned digit = (groups[i] >> shift) & 0xF;
            if (digit != 0 || started || shift == 0) {
                text += HexDigit(digit);
                started = true;
            }
        }
        ++i;
    }
    return text;
}

}  // namespace quillcrest
