#pragma once

#include <algorithm>
#include <vector>

namespace quillcrest::bench {

// The middle value (the mean of the middle two for an even count); the values must not be empty.
inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace quillcrest::bench
