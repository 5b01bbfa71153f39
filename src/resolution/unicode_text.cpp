#include "resolution/unicode_text.h"

#include <cstdint>

namespace quillcrest {
namespace {

constexpr char32_t kLeadSurrogateFirst = 0xD800;
constexpr char32_t kTrailSurrogateFirst = 0xDC00;
constexpr char32_t kSurrogateLast = 0xDFFF;
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kFirstSupplementary = 0x10000;

bool IsLeadSurrogate(char32_t unit) {
    return unit >= kLeadSurrogateFirst && unit < kTrailSurrogateFirst;
}

bool IsTrailSurrogate(char32_t unit) {
    return unit >= kTrailSurrogateFirst && unit <= kSurrogateLast;
}

void AppendCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < kFirstSupplementary) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The length of a sequence, the bits its lead byte carries and the smallest code point it may stand for (a
// smaller one has a shorter form).
struct SequenceForm {
    std::size_t length;
    std::uint8_t leadMask;
    std::uint8_t leadBits;
    char32_t smallest;
};

constexpr SequenceForm kSequenceForms[] = {
    {2, 0xE0, 0xC0, 0x80},
    {3, 0xF0, 0xE0, 0x800},
    {4, 0xF8, 0xF0, kFirstSupplementary},
};

// One code point from text at position; nullopt for a malformed or overlong sequence.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& position) {
    const auto lead = static_cast<std::uint8_t>(text[position]);
    if (lead < 0x80) {
        ++position;
        return lead;
    }
    for (const SequenceForm& form : kSequenceForms) {
        if ((lead & form.leadMask) != form.leadBits)
            continue;
        if (text.size() - position < form.length)
            return std::nullopt;
        char32_t c = lead & static_cast<std::uint8_t>(~form.leadMask);
        for (std::size_t i = 1; i < form.length; ++i) {
            const auto next = static_cast<std::uint8_t>(text[position + i]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        if (c < form.smallest || c > kLastCodePoint)
            return std::nullopt;
        position += form.length;
        return c;
    }
    return std::nullopt;
}

std::u16string UnitsInOrder(std::string_view bytes, bool bigEndian) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<std::uint8_t>(bytes[i]);
        const auto second = static_cast<std::uint8_t>(bytes[i + 1]);
        units += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return units;
}

}  // namespace

std::string Wtf8FromUtf16(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t unit = units[i];
        if (IsLeadSurrogate(unit) && i + 1 < units.size() && IsTrailSurrogate(units[i + 1])) {
            const char32_t trail = units[++i];
            AppendCodePoint(
                out, kFirstSupplementary + ((unit - kLeadSurrogateFirst) << 10) + (trail - kTrailSurrogateFirst));
        } else {
            AppendCodePoint(out, unit);
        }
    }
    return out;
}

std::optional<std::u16string> Utf16FromWtf8(std::string_view text) {
    std::u16string units;
    units.reserve(text.size());
    bool previousWasLead = false;
    for (std::size_t position = 0; position < text.size();) {
        const std::optional<char32_t> c = NextCodePoint(text, position);
        if (!c)
            return std::nullopt;
        if (previousWasLead && IsTrailSurrogate(*c))
            return std::nullopt;
        previousWasLead = IsLeadSurrogate(*c);
        if (*c >= kFirstSupplementary) {
            const char32_t offset = *c - kFirstSupplementary;
            units += static_cast<char16_t>(kLeadSurrogateFirst + (offset >> 10));
            units += static_cast<char16_t>(kTrailSurrogateFirst + (offset & 0x3FF));
        } else {
            units += static_cast<char16_t>(*c);
        }
    }
    return units;
}

std::string LittleEndianBytes(std::u16string_view units) {
    std::string bytes;
    bytes.reserve(2 * units.size());
    for (char16_t unit : units) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::u16string UnitsFromLittleEndian(std::string_view bytes) {
    return UnitsInOrder(bytes, false);
}

std::u16string UnitsFromBigEndian(std::string_view bytes) {
    return UnitsInOrder(bytes, true);
}

}  // namespace quillcrest
