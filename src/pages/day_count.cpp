#include "pages/day_count.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace quillcrest {
namespace {

constexpr int kFirstYear = 1;
constexpr int kLastYear = 9999;
constexpr int kSignificantDigits = 15;
// Longer texts are no day count the program writes, and bounding them keeps the parser's copy small.
constexpr std::size_t kMaxDayCountTextLength = 64;

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// Days from 1 January of year 1 to the given date (proleptic Gregorian calendar).
std::int64_t DaysSinceFirstDay(int year, int month, int day) {
    const std::int64_t y = year - 1;
    std::int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < month; ++m)
        days += DaysInMonth(year, m);
    return days + day - 1;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<double> CalendarDayCount(int year, int month, int day) {
    if (year < kFirstYear || year > kLastYear || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return std::nullopt;
    static const std::int64_t kEpoch = DaysSinceFirstDay(1899, 12, 30);
    return static_cast<double>(DaysSinceFirstDay(year, month, day) - kEpoch);
}

std::optional<double> TimeOfDayFraction(int hours, int minutes, int seconds, int milliseconds) {
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59 || milliseconds < 0 ||
        milliseconds > 999)
        return std::nullopt;
    const double ms = ((hours * 60.0 + minutes) * 60.0 + seconds) * 1000.0 + milliseconds;
    return ms / kMillisecondsPerDay;
}

std::string FormatDayCount(double days, char decimalSeparator) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), days, std::chars_format::general,
                                      kSignificantDigits);
    std::string text(buffer.data(), result.ec == std::errc() ? result.ptr : buffer.data());
    for (char& c : text) {
        if (c == '.')
            c = decimalSeparator;
    }
    return text;
}

std::optional<double> ParseDayCount(const std::string& text, char decimalSeparator) {
    if (text.empty() || text.size() > kMaxDayCountTextLength)
        return std::nullopt;
    // The grammar is checked here, so from_chars never sees "inf", "nan" or hexadecimal forms.
    std::string canonical;
    std::size_t i = 0;
    if (text[i] == '+' || text[i] == '-') {
        if (text[i] == '-')
            canonical += '-';
        ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        canonical += text[i++];
        ++digits;
    }
    if (i < text.size() && (text[i] == '.' || text[i] == decimalSeparator)) {
        canonical += '.';
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            canonical += text[i++];
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        canonical += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            canonical += text[i++];
        std::size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) {
            canonical += text[i++];
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    double value = 0;
    const char* end = canonical.data() + canonical.size();
    const auto result = std::from_chars(canonical.data(), end, value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace quillcrest
