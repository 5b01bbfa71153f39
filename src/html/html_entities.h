#pragma once

#include <string>
#include <string_view>

namespace quillcrest {

// Longest entity name looked up (above the longest name the view knows) and most digits read in a numeric
// reference; anything longer is left as plain text.
constexpr std::size_t kMaxEntityNameLength = 8;
constexpr std::size_t kMaxNumericReferenceDigits = 8;

// Where the text stands, which decides how a named reference without ";" is read.
enum class ReferencePlace {
    Text,            // "&copy 2009" is a reference, as old pages write it
    AttributeValue,  // a name without ";" followed by "=", a letter or a digit stays as written, so that a link
                     // such as "?id=1&reg=us" keeps its query
};

// Replaces character references ("&amp;", "&#233;", "&#xE9;") with Windows-1252 bytes, the code page the view
// draws in. Characters the code page lacks become "?". Unknown or malformed references stay as written, and a
// reference that would give a NUL byte gives "?" instead, so the text never gains a terminator in the middle.
std::string DecodeCharacterReferences(std::string_view text, ReferencePlace place = ReferencePlace::Text);

}  // namespace quillcrest
