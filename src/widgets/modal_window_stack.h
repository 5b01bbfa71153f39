#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace quillcrest {

// The windows up modally now, in the order their loops started. A loop enters on its way in and leaves on its
// way out; the last window entered and not yet left is the one the user has to answer first. Leaving may come
// out of order (a quit request unwinds every loop), and leaving a window that never entered changes nothing.
class ModalWindowStack {
  public:
    using WindowId = std::uintptr_t;

    void Enter(WindowId window);
    void Leave(WindowId window);
    // The window the user has to answer first, or nothing when no modal window is up.
    std::optional<WindowId> Innermost() const;

  private:
    std::vector<WindowId> windows_;
};

}  // namespace quillcrest
