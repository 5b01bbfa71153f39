#include "widgets/modal_window_stack.h"

#include <algorithm>

namespace quillcrest {

void ModalWindowStack::Enter(WindowId window) {
    windows_.push_back(window);
}

void ModalWindowStack::Leave(WindowId window) {
    // The latest entry of that window: a window entered twice leaves its inner loop first.
    const auto found = std::find(windows_.rbegin(), windows_.rend(), window);
    if (found != windows_.rend())
        windows_.erase(std::next(found).base());
}

std::optional<ModalWindowStack::WindowId> ModalWindowStack::Innermost() const {
    if (windows_.empty())
        return std::nullopt;
    return windows_.back();
}

}  // namespace quillcrest
