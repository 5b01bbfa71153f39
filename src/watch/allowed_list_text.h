#pragma once

#include <string>
#include <vector>

namespace quillcrest {

// The lines of the allowed list's file, taken as they are: a line ends at CR LF, a lone CR or a lone LF; a last
// line without a line end is still a line; a line end at the very end adds no empty line; empty lines in
// between are empty entries; a NUL ends the text.
std::vector<std::string> AllowedListLines(const std::string& fileText);

// The file form of the entries: each one, the last included, followed by CR LF.
std::string AllowedListFileText(const std::vector<std::string>& entries);

// Whether text can be a whole file as AllowedListFileText writes it: a save always holds at least the entry it
// adds, so the file is not empty and ends with the CR LF that follows its last line. A save cut short by a power
// loss ends anywhere else (or is empty, or holds only zeros).
bool IsWholeAllowedListFileText(const std::string& text);

}  // namespace quillcrest
