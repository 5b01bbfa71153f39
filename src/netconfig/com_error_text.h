#pragma once

#include <cstdint>
#include <string>

#include "netconfig/wmi_error_text.h"

namespace quillcrest {

// The message of a failed COM call: the system's own text for the code when it has one. Many COM and
// automation codes have none (Wine knows almost none of them), so the fallback names the code and, for
// WMI's own codes, what it means.
std::string ComFailureText(std::uint32_t code, const SystemMessageLookup& systemMessage);

}  // namespace quillcrest
