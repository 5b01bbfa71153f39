#pragma once

#include "resolution/resolution_settings.h"

namespace quillcrest {

// Every network adapter with its DNS servers as Windows uses them. Unreadable when the adapters could not be
// listed; never throws.
class AdapterDnsSource {
  public:
    virtual ~AdapterDnsSource() = default;
    virtual AdapterSnapshot ReadAdapters() = 0;
};

}  // namespace quillcrest
