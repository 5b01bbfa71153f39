#include "html/html_table_columns.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace quillcrest {

std::vector<int> DistributeColumnWidths(const std::vector<int>& minimums,
                                        const std::vector<int>& maximums,
                                        int available) {
    std::size_t count = std::min(minimums.size(), maximums.size());
    std::vector<int> widths(minimums.begin(), minimums.begin() + static_cast<std::ptrdiff_t>(count));
    if (count == 0)
        return widths;
    std::int64_t sumMin = 0;
    std::int64_t sumMax = 0;
    std::vector<std::int64_t> wanted(count);
    for (std::size_t i = 0; i < count; ++i) {
        wanted[i] = std::max(maximums[i], minimums[i]);
        sumMin += minimums[i];
        sumMax += wanted[i];
    }
    if (available <= sumMin)
        return widths;

    std::int64_t given = 0;
    if (available < sumMax) {
        std::int64_t room = available - sumMin;
        std::int64_t spread = sumMax - sumMin;
        for (std::size_t i = 0; i < count; ++i) {
            widths[i] = static_cast<int>(minimums[i] + room * (wanted[i] - minimums[i]) / spread);
            given += widths[i];
        }
    } else {
        std::int64_t surplus = available - sumMax;
        for (std::size_t i = 0; i < count; ++i) {
            std::int64_t share = sumMax > 0 ? surplus * wanted[i] / sumMax : surplus / static_cast<std::int64_t>(count);
            widths[i] = static_cast<int>(wanted[i] + share);
            given += widths[i];
        }
    }
    // Rounding leaves a few pixels; they go one each to the first columns.
    for (std::size_t i = 0; given < available; i = (i + 1) % count, ++given)
        ++widths[i];
    return widths;
}

}  // namespace quillcrest
