#pragma once

#include <string>
#include <vector>

namespace quillcrest {

// The comma text of a list: entries in order joined by ",". An entry holding a blank, a control character, a
// comma or a double quote is written in double quotes with each inner double quote doubled. A list holding one
// empty entry joins to the empty text, like no entries at all: a search order of one empty server is stored as
// "nothing recorded", so a later capture records it again and a restore gives the adapter back to DHCP instead
// of assigning it an empty server.
std::string CommaText(const std::vector<std::string>& entries);

// The inverse of CommaText, also lenient towards hand-written lists: cuts at commas and at runs of blanks and
// control characters outside double quotes, skips leading blanks, takes a quoted entry whole without its quotes
// (a doubled quote inside becomes one), and reads a comma at the very end as one more, empty, entry.
std::vector<std::string> SplitList(const std::string& text);

}  // namespace quillcrest
