#include "netconfig/adapter_guid.h"

#include <charconv>
#include <cstdint>
#include <utility>

#include "netconfig/wmi_error.h"
#include "netconfig/wmi_query_close_guard.h"

namespace quillcrest {
namespace {

constexpr const char* kAdapterQuery =
    "SELECT Description,IPConnectionMetric,SettingID,Index FROM Win32_NetworkAdapterConfiguration";

// The fields arrive as decimal text; a text that is not a whole number means the row is not what we asked
// for, and choosing an adapter on a guess would key every record to the wrong interface.
std::int64_t ParseWholeNumber(const std::string& field, const std::string& text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end)
        throw EWmiError(field + " is not a whole number: \"" + text + "\"");
    return value;
}

}  // namespace

std::string GetAdaptorGUID(WmiQuery& query) {
    WmiQueryCloseGuard closeGuard(query);
    query.setWql(kAdapterQuery);
    query.open();
    query.first();

    bool found = false;
    std::int64_t bestMetric = 0;
    std::int64_t bestIndex = 0;
    std::string bestId;
    while (!query.eof()) {
        const std::string metricText = query.fieldByName("IPConnectionMetric").asText();
        if (!metricText.empty()) {
            const std::int64_t metric = ParseWholeNumber("IPConnectionMetric", metricText);
            const std::int64_t index = ParseWholeNumber("Index", query.fieldByName("Index").asText());
            std::string id = query.fieldByName("SettingID").asText();
            if (!found || metric < bestMetric || (metric == bestMetric && index < bestIndex)) {
                found = true;
                bestMetric = metric;
                bestIndex = index;
                bestId = std::move(id);
            }
        }
        query.next();
    }
    return bestId;
}

}  // namespace quillcrest
