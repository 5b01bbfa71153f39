#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "resolution/resolution_settings.h"

namespace quillcrest {

// Registry data as text, in two ways: the exact forms the baseline file writes (each stands for one byte
// string only, so data read back is the data written), and a readable form for the differences shown to a
// person.

// "REG_SZ", "REG_DWORD" ... for the types Windows names; the decimal number for any other type.
std::string RegistryTypeName(std::uint32_t type);
// The type a name of RegistryTypeName stands for; nullopt for any other text.
std::optional<std::uint32_t> RegistryTypeFromName(std::string_view name);

// REG_SZ and REG_EXPAND_SZ data in its usual form: UTF-16 little-endian units without a NUL, then one NUL.
// The text (WTF-8) of data in that form; nullopt for any other bytes (odd length, no NUL at the end, a NUL
// inside).
std::optional<std::string> StringData(std::string_view data);
// The data of a text; nullopt when the text is not WTF-8 or holds a NUL.
std::optional<std::string> StringDataOf(std::string_view text);

// REG_MULTI_SZ data in its usual form: each string (not empty, no NUL) followed by a NUL, then one more NUL;
// no string at all is a single NUL. The strings; nullopt for data in any other form.
std::optional<std::vector<std::string>> MultiStringData(std::string_view data);
// The data of strings; nullopt when one is empty, not WTF-8 or holds a NUL.
std::optional<std::string> MultiStringDataOf(const std::vector<std::string>& strings);

// The number held by REG_DWORD data of exactly 4 bytes or REG_QWORD data of exactly 8 (little-endian); nullopt
// for any other type or size.
std::optional<std::uint64_t> NumberData(std::uint32_t type, std::string_view data);
// The data of a number for REG_DWORD (4 bytes, the number must fit) or REG_QWORD (8 bytes).
std::string NumberDataOf(std::uint32_t type, std::uint64_t number);

// How a person reads a value: its text up to the first NUL (texts), its strings joined by "; " (lists), its
// number (numbers), otherwise its type with the first bytes in hexadecimal and its size.
std::string ReadableValue(const RegistryValue& value);

// The text of a REG_SZ or REG_EXPAND_SZ value up to its first NUL, as Windows takes it; nullopt for other types
// and for a value kept by size only.
std::optional<std::string> TextValue(const RegistryValue& value);

// A DNS server list from a value that holds one: texts split at blanks, commas and semicolons, lists split
// the same way within each string. Values of other types give nothing.
std::vector<std::string> ServerListOf(const RegistryValue& value);

}  // namespace quillcrest
