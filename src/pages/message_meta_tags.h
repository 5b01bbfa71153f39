#pragma once

#include <string>

namespace quillcrest {

// What the message page's meta tags set. The limits start at 0 (a page that sets none is never shown) and keep
// the values of the last page that carried their tags.
struct MessageLimits {
    int timesToShow = 0;  // "TimesToShow": "Thanks" clicks allowed in all
    int timesPerDay = 0;  // "TimesPerDay": showings allowed within the "EveryHours" window
    int everyHours = 0;   // "EveryHours": that window, in whole hours
    double validTo = 0;   // "ValidTo": a day count; shown only before it (0 is long past)
};

// The defaults of the numeric tags, for contents that are no decimal number of 32 bits.
inline constexpr int kDefaultTimesToShow = 10;
inline constexpr int kDefaultTimesPerDay = 2;
inline constexpr int kDefaultEveryHours = 12;
// The identifier a page gets from an "adID" tag with empty content.
inline constexpr char kDefaultMessageIdentifier[] = "Basic";

// Applies one meta tag of the message page, in document order. Names are compared ignoring ASCII letter case;
// other tags are ignored. "adID" names the message only while identifier is still empty, so the first page of
// a run that carries one keeps its registry key for the rest of the run.
void ApplyMessageMetaTag(const std::string& name,
                         const std::string& content,
                         MessageLimits& limits,
                         std::string& identifier);

// Reads a "ValidTo" content: "year-month-day hours:minutes:seconds" (the time may use "." too, may stop after
// the hours or minutes, and may end with a separator). The date part and the time part are split at the first
// blank and trimmed. A time that cannot be read counts as midnight; no blank at all, or a date that is not a
// calendar date, gives 0, which makes the message count as expired.
double ReadValidTo(const std::string& content);

}  // namespace quillcrest
