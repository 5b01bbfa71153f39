#include "app/app_title.h"

namespace quillcrest {

void AsciiLowerCase(char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (text[i] >= 'A' && text[i] <= 'Z')
            text[i] = static_cast<char>(text[i] + ('a' - 'A'));
    }
}

std::string DefaultAppTitle(std::string_view exePath, const LowerCaseFn& lower) {
    const size_t slash = exePath.rfind('\\');
    std::string_view name = slash == std::string_view::npos ? exePath : exePath.substr(slash + 1);
    const size_t dot = name.find('.');
    if (dot != std::string_view::npos)
        name = name.substr(0, dot);
    std::string title(name);
    if (title.size() > 1)
        lower(&title[1], title.size() - 1);
    return title;
}

std::string InstanceMutexName(std::string_view defaultTitle) {
    return "PREVINST:" + std::string(defaultTitle);
}

}  // namespace quillcrest
