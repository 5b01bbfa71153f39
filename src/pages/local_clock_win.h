#pragma once

#include "pages/local_clock.h"

namespace quillcrest {

// The computer's local time, to the millisecond.
class SystemLocalClock : public LocalClock {
  public:
    double Now() const override;
};

// The first character of the user's decimal separator; "." when the locale names none.
char UserDecimalSeparator();

}  // namespace quillcrest
