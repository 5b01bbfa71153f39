#pragma once

#include "base/exception.h"

namespace quillcrest {

// Raised by the WMI query layer: failing WMI calls, missing properties, values that do not convert.
class EWmiError : public Exception {
  public:
    using Exception::Exception;
};

}  // namespace quillcrest
