#pragma once

namespace quillcrest {

// The local date and time as a day count (days since 30 December 1899, fraction = time of day).
class LocalClock {
  public:
    virtual ~LocalClock() = default;
    virtual double Now() const = 0;
};

}  // namespace quillcrest
