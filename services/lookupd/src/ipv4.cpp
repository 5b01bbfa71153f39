#include "ipv4.h"

namespace quillcrest::lookupd {
namespace {

constexpr int kParts = 4;
constexpr int kLongestPart = 3;
constexpr int kLargestPart = 255;
constexpr int kAddressBits = 32;

std::uint32_t MaskOf(int prefixLength) {
    return prefixLength == 0 ? 0 : ~std::uint32_t{0} << (kAddressBits - prefixLength);
}

// Written out once so the list reads like the registries publish it.
const AddressBlock kNonPublicBlocks[] = {
    {0x00000000, 8},   // 0.0.0.0/8 this network
    {0x0A000000, 8},   // 10.0.0.0/8 private
    {0x64400000, 10},  // 100.64.0.0/10 shared address space
    {0x7F000000, 8},   // 127.0.0.0/8 loopback
    {0xA9FE0000, 16},  // 169.254.0.0/16 link-local
    {0xAC100000, 12},  // 172.16.0.0/12 private
    {0xC0A80000, 16},  // 192.168.0.0/16 private
    {0xE0000000, 4},   // 224.0.0.0/4 multicast
    {0xF0000000, 4},   // 240.0.0.0/4 reserved and broadcast
};

}  // namespace

std::optional<std::uint32_t> ParseDottedAddress(std::string_view text) {
    if (text.size() > kLongestDottedAddress)
        return std::nullopt;
    std::uint32_t address = 0;
    std::size_t at = 0;
    for (int part = 0; part < kParts; ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != '.')
                return std::nullopt;
            ++at;
        }
        const std::size_t start = at;
        int value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < kLongestPart) {
            value = value * 10 + (text[at] - '0');
            ++at;
        }
        const std::size_t digits = at - start;
        if (digits == 0 || value > kLargestPart || (digits > 1 && text[start] == '0'))
            return std::nullopt;
        address = (address << 8) | static_cast<std::uint32_t>(value);
    }
    if (at != text.size())
        return std::nullopt;
    return address;
}

std::string FormatDottedAddress(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

bool AddressBlock::Contains(std::uint32_t address) const {
    return (address & MaskOf(prefixLength)) == first;
}

std::optional<AddressBlock> ParseAddressBlock(std::string_view text) {
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    const std::optional<std::uint32_t> first = ParseDottedAddress(text.substr(0, slash));
    const std::string_view length = text.substr(slash + 1);
    if (!first || length.empty() || length.size() > 2)
        return std::nullopt;
    int prefixLength = 0;
    for (char c : length) {
        if (c < '0' || c > '9')
            return std::nullopt;
        prefixLength = prefixLength * 10 + (c - '0');
    }
    if (prefixLength > kAddressBits || (*first & ~MaskOf(prefixLength)) != 0)
        return std::nullopt;
    return AddressBlock{*first, prefixLength};
}

bool IsNonPublicAddress(std::uint32_t address) {
    for (const AddressBlock& block : kNonPublicBlocks) {
        if (block.Contains(address))
            return true;
    }
    return false;
}

}  // namespace quillcrest::lookupd
