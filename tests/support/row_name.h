#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace quillcrest::fakes {

// A row's name as a test name: every character but letters and digits becomes "_", so test lists read
// "Cases/quoted_blank_entry" and a failure names its row.
inline std::string RowName(const std::string& name) {
    std::string out;
    for (char c : name)
        out += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return out;
}

// The same for INSTANTIATE_TEST_SUITE_P: names each test after its row's `name` field.
template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    return RowName(std::string(info.param.name));
}

}  // namespace quillcrest::fakes
