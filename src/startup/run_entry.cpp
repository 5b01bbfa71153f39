#include "startup/run_entry.h"

namespace quillcrest {

std::string RunEntryFor(const std::string& exePath) {
    if (exePath.find(' ') == std::string::npos)
        return exePath;
    return '"' + exePath + '"';
}

bool RunEntryNames(const std::string& storedValue, const std::string& exePath, const TextEquality& equals) {
    std::string path = storedValue;
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
        path = path.substr(1, path.size() - 2);
    return !exePath.empty() && equals(path, exePath);
}

}  // namespace quillcrest
