#pragma once

#include <cctype>
#include <string>

namespace quillcrest::fakes {

// A row's name as a test name: every character but letters and digits becomes "_".
inline std::string RowName(const std::string& name) {
    std::string out;
    for (char c : name)
        out += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return out;
}

}  // namespace quillcrest::fakes
