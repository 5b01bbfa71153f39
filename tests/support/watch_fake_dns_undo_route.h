#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/exception.h"
#include "resolution/dns_baseline_file.h"
#include "watch/dns_undo_route.h"

namespace quillcrest::fakes {

// "Undo"'s route: remembers the baseline of each call (in its file's text form, so a test compares it whole) and
// answers with `report` (nullopt: the user answered "No"), or raises `failWith` when set, as a declined consent
// prompt does.
class FakeDnsUndoRoute : public DnsUndoRoute {
  public:
    std::optional<std::string> report = std::string("Put back:\nhosts file: written back");
    std::optional<std::string> failWith;
    std::vector<std::string> baselines;

    std::optional<std::string> Undo(const ResolutionSettings& baseline) override {
        baselines.push_back(SerializeDnsBaseline(baseline));
        if (failWith)
            throw Exception(*failWith);
        return report;
    }
};

}  // namespace quillcrest::fakes
