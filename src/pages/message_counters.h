#pragma once

#include <string>

#include "pages/message_meta_tags.h"
#include "settings/registry_api.h"

namespace quillcrest {

// The per-message counters the program keeps under HKEY_CURRENT_USER.
inline constexpr char kMessageCountersKeyPrefix[] = "SOFTWARE\\Brenholt\\Quillcrest\\Ads\\";
inline constexpr char kShownCountValue[] = "AdShown";
inline constexpr char kLastThanksValue[] = "AdLastTime";
inline constexpr char kThanksTodayValue[] = "AdTimesToday";

struct MessageCounters {
    int shown = 0;          // "AdShown": "Thanks" clicks ever
    double lastThanks = 0;  // "AdLastTime": the moment of the last one, as a day count
    int thanksToday = 0;    // "AdTimesToday": clicks on the calendar day of lastThanks
};

// The key of a message's counters; with an empty identifier the values lie directly under "Ads".
std::string MessageCountersKey(const std::string& identifier);

// Reads the counters, each falling back to its default (0, "0", 0). A stored "AdLastTime" that is no number
// counts as 0, long past.
MessageCounters ReadMessageCounters(RegistryApi& registry, const std::string& identifier, char decimalSeparator);

// The showing decision at the end of a page load: fewer "Thanks" than "TimesToShow", now before "ValidTo",
// and fewer clicks than "TimesPerDay" within the last "EveryHours" whole hours.
bool MessageMayBeShown(const MessageLimits& limits, const MessageCounters& stored, double now);

// What a "Thanks" click at `now` stores. shownCount is the count the window holds (read at the last load); the
// daily count starts again at 1 on a later calendar day than the last click.
MessageCounters CountThanks(int shownCount, const MessageCounters& stored, double now);

// Writes all three values.
void WriteMessageCounters(RegistryApi& registry,
                          const std::string& identifier,
                          const MessageCounters& counters,
                          char decimalSeparator);

}  // namespace quillcrest
