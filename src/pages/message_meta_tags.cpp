#include "pages/message_meta_tags.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "base/ascii_case.h"
#include "pages/day_count.h"
#include "settings/decimal_text.h"

namespace quillcrest {
namespace {

std::optional<int> ParseInt32(const std::string& text) {
    const std::optional<long long> value = ParseDecimal(text);
    if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
        *value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<int>(*value);
}

// Blanks and control characters at both ends go, as in every trimmed text of the program.
std::string Trimmed(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ')
        --last;
    return text.substr(first, last - first);
}

std::vector<std::string> SplitAt(const std::string& text, const std::string& separators, std::size_t maxParts) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (parts.size() + 1 < maxParts) {
        const std::size_t at = text.find_first_of(separators, start);
        if (at == std::string::npos)
            break;
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::optional<double> ReadDate(const std::string& datePart) {
    // Exactly three parts; what follows a third "-" stays in the day part and makes it no number.
    const std::vector<std::string> parts = SplitAt(datePart, "-", 3);
    int numbers[3] = {0, 0, 0};
    for (std::size_t i = 0; i < parts.size(); ++i)
        numbers[i] = ParseInt32(parts[i]).value_or(0);
    return CalendarDayCount(numbers[0], numbers[1], numbers[2]);
}

double ReadTimeOfDay(std::string timePart) {
    if (!timePart.empty() && (timePart.back() == ':' || timePart.back() == '.'))
        timePart.pop_back();
    if (timePart.empty())
        return 0;
    const std::vector<std::string> parts = SplitAt(timePart, ":.", 4);
    if (parts.size() > 3)
        return 0;
    int numbers[3] = {0, 0, 0};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::optional<int> number = ParseInt32(parts[i]);
        if (!number)
            return 0;
        numbers[i] = *number;
    }
    return TimeOfDayFraction(numbers[0], numbers[1], numbers[2]).value_or(0);
}

}  // namespace

void ApplyMessageMetaTag(const std::string& name,
                         const std::string& content,
                         MessageLimits& limits,
                         std::string& identifier) {
    if (EqualIgnoringAsciiCase(name, "ValidTo")) {
        limits.validTo = ReadValidTo(content);
    } else if (EqualIgnoringAsciiCase(name, "adID")) {
        if (identifier.empty())
            identifier = content.empty() ? kDefaultMessageIdentifier : content;
    } else if (EqualIgnoringAsciiCase(name, "TimesToShow")) {
        limits.timesToShow = ParseInt32(content).value_or(kDefaultTimesToShow);
    } else if (EqualIgnoringAsciiCase(name, "TimesPerDay")) {
        limits.timesPerDay = ParseInt32(content).value_or(kDefaultTimesPerDay);
    } else if (EqualIgnoringAsciiCase(name, "EveryHours")) {
        limits.everyHours = ParseInt32(content).value_or(kDefaultEveryHours);
    }
}

double ReadValidTo(const std::string& content) {
    const std::size_t blank = content.find(' ');
    if (blank == std::string::npos)
        return 0;
    const std::optional<double> date = ReadDate(Trimmed(content.substr(0, blank)));
    if (!date)
        return 0;
    return *date + ReadTimeOfDay(Trimmed(content.substr(blank + 1)));
}

}  // namespace quillcrest
