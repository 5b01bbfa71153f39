#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "netconfig/ip_config_lease_time.h"

namespace quillcrest {

// Internal linkage: each test file prints dates for itself without clashing at link time.
static void PrintTo(const LocalDateTime& t, std::ostream* os) {
    *os << t.year << '-' << t.month << '-' << t.day << ' ' << t.hour << ':' << t.minute << ':' << t.second;
}

namespace {

struct LeaseCase {
    const char* label;
    std::int64_t seconds;
    std::int32_t bias;
    std::int32_t daylightBias;
    LocalDateTime local;
};

class IpConfigLeaseTimeTest : public testing::TestWithParam<LeaseCase> {};

TEST_P(IpConfigLeaseTimeTest, ShiftsByBothBiases) {
    const LeaseCase& row = GetParam();
    SCOPED_TRACE(row.label);
    EXPECT_EQ(LeaseTimeToLocal(row.seconds, row.bias, row.daylightBias), row.local);
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    IpConfigLeaseTimeTest,
    testing::ValuesIn(std::vector<LeaseCase>{
        {"epoch in UTC", 0, 0, 0, {1970, 1, 1, 0, 0, 0}},
        {"epoch west of UTC falls on the previous day", 0, 300, -60, {1969, 12, 31, 20, 0, 0}},
        {"epoch east of UTC", 0, -60, 0, {1970, 1, 1, 1, 0, 0}},
        {"daylight bias applies with a zero bias", 0, 0, -60, {1970, 1, 1, 1, 0, 0}},
        {"daylight bias adds to the bias", 0, -60, -60, {1970, 1, 1, 2, 0, 0}},
        {"ordinary lease in UTC", 1700000000, 0, 0, {2023, 11, 14, 22, 13, 20}},
        {"ordinary lease east, crossing midnight", 1700000000, -180, -60, {2023, 11, 15, 2, 13, 20}},
        {"ordinary lease west", 1700000000, 240, 0, {2023, 11, 14, 18, 13, 20}},
        {"half-hour zone", 1700000000, -330, 0, {2023, 11, 15, 3, 43, 20}},
        {"leap day", 951782400, 0, 0, {2000, 2, 29, 0, 0, 0}},
        {"back across a leap day", 951782400, 60, 0, {2000, 2, 28, 23, 0, 0}},
        {"year end", 1704067199, 0, 0, {2023, 12, 31, 23, 59, 59}},
        {"largest 32-bit lease", 4294967295LL, 0, 0, {2106, 2, 7, 6, 28, 15}},
        {"before 1970 rounds down, not toward zero", -1, 0, 0, {1969, 12, 31, 23, 59, 59}},
    }));

}  // namespace
}  // namespace quillcrest
