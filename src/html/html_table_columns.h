#pragma once

#include <vector>

namespace quillcrest {

// Shares the width available for a table's columns. Each column needs at least its minimum (its widest word or
// picture) and would like its maximum (its content without wrapping). With less room than the minimums every
// column gets its minimum and the table overflows; with room between the two, each column gets its minimum plus
// a share of the rest in proportion to how much more it would like; with more room than the maximums, the
// surplus goes in proportion to the maximums. The widths add up to the available width whenever that is at
// least the sum of the minimums.
std::vector<int> DistributeColumnWidths(const std::vector<int>& minimums,
                                        const std::vector<int>& maximums,
                                        int available);

}  // namespace quillcrest
