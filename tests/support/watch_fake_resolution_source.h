#pragma once

#include "resolution/resolution_settings.h"
#include "watch/resolution_source.h"

namespace quillcrest::fakes {

// The settings as a test sets them; counts the reads.
class FakeResolutionSource : public ResolutionSource {
  public:
    ResolutionSettings settings;
    int reads = 0;

    ResolutionSettings ReadAll() override {
        ++reads;
        return settings;
    }
};

}  // namespace quillcrest::fakes
