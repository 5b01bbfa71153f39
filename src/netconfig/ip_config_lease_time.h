#pragma once

#include <cstdint>

namespace quillcrest {

// A wall-clock date and time in the computer's local zone, to the second. Calendar fields rather than a day
// count, so values compare and print as a person reads them and no rounding of fractional days can creep in.
// The default value (all zero) means "never set"; every adapter record built from the platform sets both.
struct LocalDateTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const LocalDateTime& a, const LocalDateTime& b) {
        return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
               a.second == b.second;
    }
    friend bool operator!=(const LocalDateTime& a, const LocalDateTime& b) { return !(a == b); }
};

// Converts a DHCP lease time (seconds since 1970-01-01 00:00 UTC) to local time by subtracting
// biasMinutes + daylightBiasMinutes, the two time-zone biases (UTC = local + bias). The daylight bias is always
// applied, whatever the season, so a lease reads the same whenever the snapshot is taken. Seconds are taken as
// a signed 64-bit count because the 64-bit platform reports them in a 64-bit time value.
LocalDateTime LeaseTimeToLocal(std::int64_t secondsSince1970,
                               std::int32_t biasMinutes,
                               std::int32_t daylightBiasMinutes);

}  // namespace quillcrest
