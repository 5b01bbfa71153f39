#pragma once

#include <functional>
#include <string>

namespace quillcrest {

// Decides whether two texts are the same, whole texts compared, each character significant (blanks included).
// EqualIgnoringAsciiCase (base/ascii_case.h) is the portable one; EqualIgnoringCaseByUserLocale the
// Windows one.
using TextEquality = std::function<bool(const std::string&, const std::string&)>;

}  // namespace quillcrest
