#include "base/coalesced_signal.h"

#include <utility>

namespace quillcrest {

CoalescedSignal::CoalescedSignal(std::function<bool()> post) : post_(std::move(post)) {}

void CoalescedSignal::Raise() {
    if (pending_.exchange(true))
        return;
    // A signal that could not go out is not waiting anywhere: the next one must be posted, or none ever would be.
    if (!post_())
        pending_.store(false);
}

void CoalescedSignal::Take() {
    pending_.store(false);
}

}  // namespace quillcrest
