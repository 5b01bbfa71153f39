#include "pages/message_counters.h"

#include <cmath>
#include <limits>

#include "pages/day_count.h"
#include "settings/registry_values.h"
#include "settings/typed_value.h"

namespace quillcrest {
namespace {

// Two moments this close count as the same one.
constexpr double kSameMomentDays = 1.0 / kMillisecondsPerDay;

// Counts read from the registry can be anything; one more than the largest stays the largest.
int OneMore(int count) {
    return count == std::numeric_limits<int>::max() ? count : count + 1;
}

}  // namespace

std::string MessageCountersKey(const std::string& identifier) {
    return kMessageCountersKeyPrefix + identifier;
}

MessageCounters ReadMessageCounters(RegistryApi& registry, const std::string& identifier, char decimalSeparator) {
    const std::string key = MessageCountersKey(identifier);
    MessageCounters counters;
    counters.shown = ReadRegValue(registry, kHkeyCurrentUser, key, kShownCountValue, TypedValue::Int32(0)).asInt32();
    const TypedValue last = ReadRegValue(registry, kHkeyCurrentUser, key, kLastThanksValue, TypedValue::String("0"));
    counters.lastThanks = ParseDayCount(last.asString(), decimalSeparator).value_or(0);
    counters.thanksToday =
        ReadRegValue(registry, kHkeyCurrentUser, key, kThanksTodayValue, TypedValue::Int32(0)).asInt32();
    return counters;
}

bool MessageMayBeShown(const MessageLimits& limits, const MessageCounters& stored, double now) {
    // Kept as a floating number: a stored moment far away must not overflow an integer.
    const double hours =
        std::fabs(now - stored.lastThanks) < kSameMomentDays ? 0 : std::trunc((now - stored.lastThanks) * 24);
    const int thanksToday = hours < limits.everyHours ? stored.thanksToday : 0;
    return stored.shown < limits.timesToShow && now < limits.validTo && thanksToday < limits.timesPerDay;
}

MessageCounters CountThanks(int shownCount, const MessageCounters& stored, double now) {
    MessageCounters counters;
    counters.shown = OneMore(shownCount);
    counters.lastThanks = now;
    counters.thanksToday = std::trunc(now) > std::trunc(stored.lastThanks) ? 1 : OneMore(stored.thanksToday);
    return counters;
}

void WriteMessageCounters(RegistryApi& registry,
                          const std::string& identifier,
                          const MessageCounters& counters,
                          char decimalSeparator) {
    const std::string key = MessageCountersKey(identifier);
    WriteRegValue(registry, kHkeyCurrentUser, key, kShownCountValue, TypedValue::Int32(counters.shown));
    WriteRegValue(registry, kHkeyCurrentUser, key, kLastThanksValue,
                  TypedValue::String(FormatDayCount(counters.lastThanks, decimalSeparator)));
    WriteRegValue(registry, kHkeyCurrentUser, key, kThanksTodayValue, TypedValue::Int32(counters.thanksToday));
}

}  // namespace quillcrest
