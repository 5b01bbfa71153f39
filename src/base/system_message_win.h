#pragma once

#include <cstdint>
#include <string>

namespace quillcrest {

// The system's message text for an error code (FormatMessageA), without the trailing line break; "" when
// the system has none.
std::string SystemMessageText(std::uint32_t code);

}  // namespace quillcrest
