#include "resolution/registry_value_text.h"

#include <utility>

#include "base/hex_digits.h"
#include "resolution/number_text.h"
#include "resolution/unicode_text.h"
#include "settings/registry_api.h"

namespace quillcrest {
namespace {

// Types the registry functions of settings/registry_api.h have no name for.
constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegDwordBigEndian = 5;
constexpr std::uint32_t kRegLink = 6;
constexpr std::uint32_t kRegResourceList = 8;
constexpr std::uint32_t kRegFullResourceDescriptor = 9;
constexpr std::uint32_t kRegResourceRequirementsList = 10;

constexpr std::size_t kDwordSize = 4;
constexpr std::size_t kQwordSize = 8;
// Bytes of a value of another type shown before its size.
constexpr std::size_t kBytesShown = 16;

struct TypeName {
    std::uint32_t type;
    const char* name;
};

constexpr TypeName kTypeNames[] = {
    {kRegNone, "REG_NONE"},
    {kRegSz, "REG_SZ"},
    {kRegExpandSz, "REG_EXPAND_SZ"},
    {kRegBinary, "REG_BINARY"},
    {kRegDword, "REG_DWORD"},
    {kRegDwordBigEndian, "REG_DWORD_BIG_ENDIAN"},
    {kRegLink, "REG_LINK"},
    {kRegMultiSz, "REG_MULTI_SZ"},
    {kRegResourceList, "REG_RESOURCE_LIST"},
    {kRegFullResourceDescriptor, "REG_FULL_RESOURCE_DESCRIPTOR"},
    {kRegResourceRequirementsList, "REG_RESOURCE_REQUIREMENTS_LIST"},
    {kRegQword, "REG_QWORD"},
};

bool IsTextType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz;
}

// The text of units that hold no NUL; nullopt when one does.
std::optional<std::string> TextWithoutNul(std::u16string_view units) {
    if (units.find(u'\0') != std::u16string_view::npos)
        return std::nullopt;
    return Wtf8FromUtf16(units);
}

void SplitServers(std::string_view text, std::vector<std::string>& servers) {
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == ',' || text[i] == ';' || text[i] == '\t'))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && !(text[i] == ' ' || text[i] == ',' || text[i] == ';' || text[i] == '\t'))
            ++i;
        if (i > start)
            servers.emplace_back(text.substr(start, i - start));
    }
}

// The strings of list data, read leniently for display: split at every NUL, empty strings left out.
std::vector<std::string> ReadableStrings(std::string_view data) {
    std::vector<std::string> strings;
    const std::u16string units = UnitsFromLittleEndian(data);
    std::size_t start = 0;
    while (start <= units.size()) {
        std::size_t end = units.find(u'\0', start);
        if (end == std::u16string::npos)
            end = units.size();
        if (end > start)
            strings.push_back(Wtf8FromUtf16(std::u16string_view(units).substr(start, end - start)));
        start = end + 1;
    }
    return strings;
}

std::string ReadableText(std::string_view data) {
    const std::u16string units = UnitsFromLittleEndian(data);
    return Wtf8FromUtf16(std::u16string_view(units).substr(0, units.find(u'\0')));
}

}  // namespace

std::string RegistryTypeName(std::uint32_t type) {
    for (const TypeName& known : kTypeNames) {
        if (known.type == type)
            return known.name;
    }
    return std::to_string(type);
}

std::optional<std::uint32_t> RegistryTypeFromName(std::string_view name) {
    for (const TypeName& known : kTypeNames) {
        if (name == known.name)
            return known.type;
    }
    const std::optional<std::uint64_t> number = StrictDecimal(name, 0xFFFFFFFFu);
    if (!number)
        return std::nullopt;
    // A known type's number is written by its name, so its number alone is not its form.
    if (RegistryTypeName(static_cast<std::uint32_t>(*number)) != name)
        return std::nullopt;
    return static_cast<std::uint32_t>(*number);
}

std::optional<std::string> StringData(std::string_view data) {
    if (data.size() < 2 || data.size() % 2 != 0)
        return std::nullopt;
    const std::u16string units = UnitsFromLittleEndian(data);
    if (units.back() != u'\0')
        return std::nullopt;
    return TextWithoutNul(std::u16string_view(units).substr(0, units.size() - 1));
}

std::optional<std::string> StringDataOf(std::string_view text) {
    std::optional<std::u16string> units = Utf16FromWtf8(text);
    if (!units || units->find(u'\0') != std::u16string::npos)
        return std::nullopt;
    *units += u'\0';
    return LittleEndianBytes(*units);
}

std::optional<std::vector<std::string>> MultiStringData(std::string_view data) {
    if (data.size() < 2 || data.size() % 2 != 0)
        return std::nullopt;
    const std::u16string units = UnitsFromLittleEndian(data);
    if (units.back() != u'\0')
        return std::nullopt;
    std::vector<std::string> strings;
    // Every string is followed by its NUL; the last unit is the list's own NUL.
    const std::u16string_view body = std::u16string_view(units).substr(0, units.size() - 1);
    std::size_t start = 0;
    while (start < body.size()) {
        const std::size_t end = body.find(u'\0', start);
        if (end == std::u16string_view::npos || end == start)
            return std::nullopt;
        strings.push_back(Wtf8FromUtf16(body.substr(start, end - start)));
        start = end + 1;
    }
    return strings;
}

std::optional<std::string> MultiStringDataOf(const std::vector<std::string>& strings) {
    std::u16string units;
    for (const std::string& text : strings) {
        const std::optional<std::u16string> one = Utf16FromWtf8(text);
        if (!one || one->empty() || one->find(u'\0') != std::u16string::npos)
            return std::nullopt;
        units += *one;
        units += u'\0';
    }
    units += u'\0';
    return LittleEndianBytes(units);
}

std::optional<std::uint64_t> NumberData(std::uint32_t type, std::string_view data) {
    const std::size_t size = type == kRegDword ? kDwordSize : type == kRegQword ? kQwordSize : 0;
    if (size == 0 || data.size() != size)
        return std::nullopt;
    std::uint64_t number = 0;
    for (std::size_t i = 0; i < size; ++i)
        number |= std::uint64_t{static_cast<std::uint8_t>(data[i])} << (8 * i);
    return number;
}

std::string NumberDataOf(std::uint32_t type, std::uint64_t number) {
    const std::size_t size = type == kRegDword ? kDwordSize : kQwordSize;
    std::string data;
    for (std::size_t i = 0; i < size; ++i)
        data += static_cast<char>((number >> (8 * i)) & 0xFF);
    return data;
}

std::string ReadableValue(const RegistryValue& value) {
    if (value.oversizeBytes > 0)
        return RegistryTypeName(value.type) + " of " + std::to_string(value.oversizeBytes) + " bytes, too long to show";
    if (IsTextType(value.type))
        return ReadableText(value.data);
    if (value.type == kRegMultiSz) {
        std::string joined;
        for (const std::string& text : ReadableStrings(value.data))
            joined += (joined.empty() ? "" : "; ") + text;
        return joined;
    }
    if (const std::optional<std::uint64_t> number = NumberData(value.type, value.data))
        return std::to_string(*number);
    std::string shown = RegistryTypeName(value.type);
    for (std::size_t i = 0; i < value.data.size() && i < kBytesShown; ++i) {
        shown += i == 0 ? " " : "";
        AppendHexByte(shown, static_cast<std::uint8_t>(value.data[i]));
    }
    if (value.data.size() > kBytesShown)
        shown += "...";
    return shown + " (" + std::to_string(value.data.size()) + " bytes)";
}

std::optional<std::string> TextValue(const RegistryValue& value) {
    if (value.oversizeBytes > 0 || !IsTextType(value.type))
        return std::nullopt;
    return ReadableText(value.data);
}

std::vector<std::string> ServerListOf(const RegistryValue& value) {
    std::vector<std::string> servers;
    if (value.oversizeBytes > 0)
        return servers;
    if (IsTextType(value.type)) {
        SplitServers(ReadableText(value.data), servers);
    } else if (value.type == kRegMultiSz) {
        for (const std::string& text : ReadableStrings(value.data))
            SplitServers(text, servers);
    }
    return servers;
}

}  // namespace quillcrest
