#include "netconfig/ip_config_lease_time.h"

namespace quillcrest {

namespace {

constexpr std::int64_t kSecondsPerMinute = 60;
constexpr std::int64_t kSecondsPerDay = 24 * 60 * 60;
constexpr std::int64_t kDaysPer400Years = 146097;
// Days from 0000-03-01 (start of a proleptic Gregorian 400-year era counted from March) to 1970-01-01.
constexpr std::int64_t kEraStartToUnixEpochDays = 719468;

// Rounds toward negative infinity, so instants before 1970 land on the right day.
std::int64_t FloorDiv(std::int64_t value, std::int64_t divisor) {
    std::int64_t quotient = value / divisor;
    if ((value % divisor != 0) && ((value < 0) != (divisor < 0)))
        --quotient;
    return quotient;
}

// Civil date of a day count since 1970-01-01. Years are counted from March so the leap day falls at the end
// of each computed year and needs no special case.
void CivilFromDays(std::int64_t days, LocalDateTime& out) {
    days += kEraStartToUnixEpochDays;
    const std::int64_t era = FloorDiv(days, kDaysPer400Years);
    const std::int64_t dayOfEra = days - era * kDaysPer400Years;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t marchMonth = (5 * dayOfYear + 2) / 153;
    const std::int64_t month = marchMonth < 10 ? marchMonth + 3 : marchMonth - 9;
    out.day = static_cast<int>(dayOfYear - (153 * marchMonth + 2) / 5 + 1);
    out.month = static_cast<int>(month);
    out.year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

LocalDateTime LeaseTimeToLocal(std::int64_t secondsSince1970,
                               std::int32_t biasMinutes,
                               std::int32_t daylightBiasMinutes) {
    const std::int64_t shiftMinutes = static_cast<std::int64_t>(biasMinutes) + daylightBiasMinutes;
    const std::int64_t local = secondsSince1970 - shiftMinutes * kSecondsPerMinute;
    const std::int64_t days = FloorDiv(local, kSecondsPerDay);
    const std::int64_t secondOfDay = local - days * kSecondsPerDay;

    LocalDateTime result;
    CivilFromDays(days, result);
    result.hour = static_cast<int>(secondOfDay / 3600);
    result.minute = static_cast<int>(secondOfDay / 60 % 60);
    result.second = static_cast<int>(secondOfDay % 60);
    return result;
}

}  // namespace quillcrest
