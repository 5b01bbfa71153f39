#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillcrest {

// Windows names and texts are UTF-16 and may hold a surrogate without its partner. The model keeps them as
// WTF-8: UTF-8 in which such a lone surrogate is written like any other code point of three bytes. Every UTF-16
// text then has exactly one form, and turning it back gives the very same units, so a name read from the
// registry opens the same key again and a value is put back as it was.

// The WTF-8 form of UTF-16 units.
std::string Wtf8FromUtf16(std::u16string_view units);

// The UTF-16 units of a WTF-8 text; nullopt when text is not WTF-8 in its one form: a malformed or overlong
// sequence, a code point above U+10FFFF, or a lead surrogate written right before a trail surrogate (that pair
// has a four-byte form).
std::optional<std::u16string> Utf16FromWtf8(std::string_view text);

// UTF-16 units as the little-endian bytes the registry stores, and back; an odd last byte is not a unit and is
// left out.
std::string LittleEndianBytes(std::u16string_view units);
std::u16string UnitsFromLittleEndian(std::string_view bytes);
std::u16string UnitsFromBigEndian(std::string_view bytes);

}  // namespace quillcrest
