#pragma once

#include <string>

namespace quillcrest {

inline constexpr char kApplicationTitle[] = "Quillcrest";

// Text of the general error report: the failure's message, closed with "." unless it already ends in a
// character that sorts at or before ".".
std::string GeneralErrorText(const std::string& message);

}  // namespace quillcrest
