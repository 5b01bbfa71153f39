#pragma once

#include <string>

namespace quillcrest {

// Whether a and b hold the same bytes apart from the case of ASCII letters. Bytes above 127 compare exactly:
// their letters depend on the code page.
bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b);

}  // namespace quillcrest
