// Feeds arbitrary meta tags of the message page, and arbitrary stored "AdLastTime" texts, to the readers and
// checks what must hold for every input. Input: the tag's name, a NUL byte, the tag's content.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "pages/day_count.h"
#include "pages/message_counters.h"
#include "pages/message_meta_tags.h"

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

// The span of day counts a calendar date of years 1 to 9999 can give, the time of day included.
const double kFirstDay = *quillcrest::CalendarDayCount(1, 1, 1);
const double kDayAfterLast = *quillcrest::CalendarDayCount(9999, 12, 31) + 1;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    const std::string name = nul == std::string::npos ? std::string("ValidTo") : input.substr(0, nul);
    const std::string content = nul == std::string::npos ? input : input.substr(nul + 1);

    const double validTo = quillcrest::ReadValidTo(content);
    Require(validTo == 0 || (validTo >= kFirstDay && validTo < kDayAfterLast));
    // A content with no blank is never a moment.
    if (content.find(' ') == std::string::npos)
        Require(validTo == 0);

    quillcrest::MessageLimits limits;
    std::string identifier;
    quillcrest::ApplyMessageMetaTag(name, content, limits, identifier);
    Require(identifier.empty() || identifier == content || (content.empty() && identifier == "Basic"));
    std::string kept = "first";
    quillcrest::ApplyMessageMetaTag(name, content, limits, kept);
    Require(kept == "first");

    // Stored moments: whatever reads back is finite, and a moment written reads back as itself.
    for (const char separator : {'.', ','}) {
        const auto read = quillcrest::ParseDayCount(content, separator);
        if (!read)
            continue;
        Require(std::isfinite(*read));
        const auto again = quillcrest::ParseDayCount(quillcrest::FormatDayCount(*read, separator), separator);
        Require(again.has_value());
        Require(*again == *read || std::fabs(*again - *read) <= std::fabs(*read) * 1e-14);
        quillcrest::MessageCounters stored;
        stored.lastThanks = *read;
        stored.thanksToday = limits.timesPerDay;
        stored.shown = limits.timesToShow;
        const quillcrest::MessageCounters counted = quillcrest::CountThanks(stored.shown, stored, validTo);
        Require(counted.thanksToday == 1 || counted.thanksToday >= stored.thanksToday);
        (void)quillcrest::MessageMayBeShown(limits, stored, validTo);
    }
    return 0;
}
