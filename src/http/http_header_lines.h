#pragma once

#include <string>
#include <vector>

namespace quillcrest {

// The status code of a response: the second word of its status line (words separated by single spaces) read
// as a decimal number; -1 when that word is missing or not a number.
int StatusCodeOf(const std::string& statusLine);

// The value of a header in the received lines (status line first). The name gets a ":" unless it ends with
// one; the first line starting with it, letter case ignored, holds the value: what follows the colon less its
// first character, whatever that is, trimmed of blanks and control characters. Following lines that start
// with a blank or a tab continue the value, each joined by one space after trimming. "" when no line matches.
std::string HeaderValue(const std::vector<std::string>& headerLines, std::string name);

// The text without the blanks and control characters (bytes up to 0x20) at both ends.
std::string TrimBlanksAndControls(const std::string& text);

}  // namespace quillcrest
