#include "netconfig/com_error_text.h"

namespace quillcrest {

std::string ComFailureText(std::uint32_t code, const SystemMessageLookup& systemMessage) {
    std::string text = systemMessage ? systemMessage(code) : std::string();
    if (!text.empty())
        return text;
    return FormatWmiError(code, nullptr);
}

}  // namespace quillcrest
