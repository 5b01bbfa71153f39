#include "app/app_title.h"

namespace quillcrest {

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

// Kept as it is on purpose: a copy of any earlier version running at the same time finds this copy by this name.
std::string InstanceMutexName(std::string_view defaultTitle) {
    return "PREVINST:" + std::string(defaultTitle);
}

}  // namespace quillcrest
