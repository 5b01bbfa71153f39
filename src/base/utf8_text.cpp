#include "base/utf8_text.h"

namespace quillcrest {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kFirstLowSurrogate = 0xDC00;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr char32_t kFirstAstral = 0x10000;
constexpr char32_t kLastCodePoint = 0x10FFFF;

bool IsHighSurrogate(char32_t unit) {
    return unit >= kFirstSurrogate && unit < kFirstLowSurrogate;
}

bool IsLowSurrogate(char32_t unit) {
    return unit >= kFirstLowSurrogate && unit <= kLastSurrogate;
}

void AppendUtf8(std::string& out, char32_t point) {
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < kFirstAstral) {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t point) {
    if (point < kFirstAstral) {
        out += static_cast<char16_t>(point);
        return;
    }
    point -= kFirstAstral;
    out += static_cast<char16_t>(kFirstSurrogate + (point >> 10));
    out += static_cast<char16_t>(kFirstLowSurrogate + (point & 0x3FF));
}

// The sequence starting at text[at]: its code point and its length in bytes; length 0 when none starts there.
struct Decoded {
    char32_t point = 0;
    std::size_t length = 0;
};

Decoded DecodeAt(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    char32_t point = 0;
    char32_t smallest = 0;
    if (lead < 0x80)
        return {lead, 1};
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        point = lead & 0x1F;
        smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        point = lead & 0x0F;
        smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        point = lead & 0x07;
        smallest = kFirstAstral;
    } else {
        return {};
    }
    if (text.size() - at < length)
        return {};
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return {};
        point = (point << 6) | (next & 0x3F);
    }
    // Longer forms of a shorter sequence would let two byte strings name one text.
    if (point < smallest || point > kLastCodePoint)
        return {};
    return {point, length};
}

}  // namespace

std::string Utf8FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            unit = kFirstAstral + ((unit - kFirstSurrogate) << 10) + (text[i + 1] - kFirstLowSurrogate);
            ++i;
        }
        AppendUtf8(out, unit);
    }
    return out;
}

std::u16string Utf16FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const Decoded decoded = DecodeAt(text, at);
        if (decoded.length == 0) {
            out += static_cast<char16_t>(kReplacement);
            ++at;
            continue;
        }
        AppendUtf16(out, decoded.point);
        at += decoded.length;
    }
    return out;
}

}  // namespace quillcrest
