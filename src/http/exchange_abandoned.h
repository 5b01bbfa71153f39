#pragma once

#include "base/exception.h"

namespace quillcrest {

// A page exchange given up because the program was asked to quit while it waited: no failure of the page or the
// network, and nothing to report to a user who is closing the program.
class EExchangeAbandoned : public Exception {
  public:
    EExchangeAbandoned() : Exception("The page request was given up because the program is closing") {}
};

}  // namespace quillcrest
