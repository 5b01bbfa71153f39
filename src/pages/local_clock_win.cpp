#include "pages/local_clock_win.h"

#include <windows.h>

#include "pages/day_count.h"

namespace quillcrest {

double SystemLocalClock::Now() const {
    SYSTEMTIME time;
    ::GetLocalTime(&time);
    return CalendarDayCount(time.wYear, time.wMonth, time.wDay).value_or(0) +
           TimeOfDayFraction(time.wHour, time.wMinute, time.wSecond, time.wMilliseconds).value_or(0);
}

char UserDecimalSeparator() {
    char separator[8] = {};
    if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof(separator)) > 1 &&
        separator[0] != '\0')
        return separator[0];
    return '.';
}

}  // namespace quillcrest
