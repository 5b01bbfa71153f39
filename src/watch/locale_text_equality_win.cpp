#include <windows.h>

#include "watch/locale_text_equality_win.h"

#include <limits>

namespace quillcrest {

bool EqualIgnoringCaseByUserLocale(const std::string& a, const std::string& b) {
    constexpr std::size_t kLongest = static_cast<std::size_t>(std::numeric_limits<int>::max());
    if (a.size() > kLongest || b.size() > kLongest)
        return false;
    // Lengths are passed explicitly so that an embedded NUL does not end either text early.
    return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                            static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace quillcrest
