#pragma once

#include <optional>
#include <string>

namespace quillcrest {

// What the watch compares the machine's DNS server list with, set at start and kept for the run.
struct ReferenceLists {
    // The preferred adapter's identifier; "" when there is none or it could not be found out.
    std::string adapterGuid;
    // The list of the 30-second check: the list at start, renewed after every Apply. nullopt while it could not
    // be read; the next list the check reads successfully then becomes the reference instead of raising an alert.
    std::optional<std::string> recentDnsList;
    // The list of the 120-second check: "Default NameServers", or the list stored there at this start. nullopt
    // like recentDnsList when it was to be stored but could not be read.
    std::optional<std::string> defaultDnsList;
};

}  // namespace quillcrest
