#pragma once

#include <functional>
#include <string>

namespace quillcrest {

// Decides whether two texts are the same, whole texts compared, each character significant (blanks included).
using TextEquality = std::function<bool(const std::string&, const std::string&)>;

// Equal when the texts differ at most in the case of ASCII letters; every other byte compares exactly.
bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b);

}  // namespace quillcrest
