#include "settings/exe_dir.h"

namespace quillcrest {

std::string ExeDirOf(const std::string& modulePath) {
    const std::string::size_type last = modulePath.find_last_of("\\:");
    if (last == std::string::npos)
        return std::string();
    return modulePath.substr(0, last + 1);
}

}  // namespace quillcrest
