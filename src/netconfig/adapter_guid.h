#pragma once

#include <string>

#include "netconfig/wmi_query.h"

namespace quillcrest {

// The SettingID of the preferred adapter: among the adapter configurations that report an
// IPConnectionMetric, the lowest metric, ties going to the lowest Index. Empty when no adapter reports a
// metric. WMI errors pass to the caller; the query is closed on every path. "Adaptor" on purpose: the
// operation's own name.
std::string GetAdaptorGUID(WmiQuery& query);

}  // namespace quillcrest
