#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace quillcrest {

// Looks up the operating system's message text for a code; answers "" when it has none.
using SystemMessageLookup = std::function<std::string(std::uint32_t code)>;

// The code as exactly eight upper-case hexadecimal digits.
std::string HexCode(std::uint32_t code);

// Our description of one of WMI's own failure codes, or nullptr when the code is not one of them.
const char* WbemErrorDescription(std::uint32_t code);

// The message of a failed WMI call: eight hex digits, ": ", then the WMI description, else the system's
// message text, else a generic text so that the message never ends in a bare colon.
std::string FormatWmiError(std::uint32_t code, const SystemMessageLookup& systemMessage);

}  // namespace quillcrest
