#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace quillcrest::fakes {

// Names a table row's test after the row's readable name, so test lists read "Cases/Capital_scheme".
template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    std::string out;
    for (const char* p = info.param.name; *p != '\0'; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        out += std::isalnum(c) ? static_cast<char>(out.empty() ? std::toupper(c) : c) : '_';
    }
    return out;
}

}  // namespace quillcrest::fakes
