#include "html/html_text.h"

namespace quillcrest {

std::string_view TrimHtmlSpace(std::string_view text) {
    while (!text.empty() && IsHtmlSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsHtmlSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

}  // namespace quillcrest
