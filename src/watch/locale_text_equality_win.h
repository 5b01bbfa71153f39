#pragma once

#include <string>

namespace quillcrest {

// Equal when the texts differ at most in letter case by the rules of the user's locale; blanks and every other
// character count. A TextEquality for the allowed list.
bool EqualIgnoringCaseByUserLocale(const std::string& a, const std::string& b);

}  // namespace quillcrest
