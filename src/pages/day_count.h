#pragma once

#include <optional>
#include <string>

namespace quillcrest {

// Moments as the registry and the message page keep them: days since 30 December 1899 as a floating number, the
// fraction being the time of day (local time, no time zone).
inline constexpr double kMillisecondsPerDay = 86400000.0;

// The day count of a calendar date at midnight; std::nullopt when it is no date of the Gregorian calendar in the
// years 1 to 9999.
std::optional<double> CalendarDayCount(int year, int month, int day);

// The fraction of a day that a time of day makes; std::nullopt unless 0 <= hours < 24, 0 <= minutes < 60,
// 0 <= seconds < 60 and 0 <= milliseconds < 1000.
std::optional<double> TimeOfDayFraction(int hours, int minutes, int seconds, int milliseconds = 0);

// Writes a day count with up to 15 significant digits and the user's decimal separator ("46000.5208333333",
// "0"), as the program stores "AdLastTime".
std::string FormatDayCount(double days, char decimalSeparator);

// Reads a stored day count: an optional sign, digits, a decimal point written as the user's separator or as
// ".", and an optional exponent; nothing else, not even blanks. Either separator is taken so that a value
// stored before the user changed the separator still reads. std::nullopt for any other text and for numbers
// too large to be finite.
std::optional<double> ParseDayCount(const std::string& text, char decimalSeparator);

}  // namespace quillcrest
