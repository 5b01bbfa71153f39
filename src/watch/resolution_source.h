#pragma once

#include "resolution/resolution_settings.h"

namespace quillcrest {

// Where the wider check reads the DNS settings that decide where names go. Never fails as a whole: a place that
// cannot be read reads as unreadable, which the comparison never takes for a change (resolution_reader.h).
class ResolutionSource {
  public:
    virtual ~ResolutionSource() = default;

    // The settings now; cheap when nothing changed since the last read (the hosts file is read again only when
    // it changed).
    virtual ResolutionSettings ReadAll() = 0;
};

}  // namespace quillcrest
