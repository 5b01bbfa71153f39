#pragma once

#include <string>
#include <string_view>

namespace quillcrest {

// UTF-16 as Windows hands out names and command lines, to UTF-8 and back, losing nothing. Windows lets a file name
// hold a lone surrogate, which strict UTF-8 cannot carry: it becomes the three bytes the generalized form gives it
// (as if it were a character of its own), and comes back as the same unit. A pair of surrogates is one character.
std::string Utf8FromUtf16(std::u16string_view text);
// Bytes that start no sequence of the form above each become U+FFFD, so that nothing else can come of them.
std::u16string Utf16FromUtf8(std::string_view text);

}  // namespace quillcrest
