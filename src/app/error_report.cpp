#include "app/error_report.h"

namespace quillcrest {

std::string GeneralErrorText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

}  // namespace quillcrest
