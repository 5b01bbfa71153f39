#pragma once

#include <chrono>

namespace quillcrest {

// A timer that elapses once. The early check waits on it for a burst of DNS setting writes to settle.
class SettleTimer {
  public:
    virtual ~SettleTimer() = default;

    // Elapses once, delay from now; a start while one is pending replaces it.
    virtual void StartOnce(std::chrono::milliseconds delay) = 0;
};

}  // namespace quillcrest
