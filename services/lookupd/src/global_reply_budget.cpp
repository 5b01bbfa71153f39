#include "global_reply_budget.h"

#include <algorithm>

namespace quillcrest::lookupd {

GlobalReplyBudget::GlobalReplyBudget(std::size_t bytesPerSecond)
    : bytesPerSecond_(static_cast<double>(bytesPerSecond)), available_(bytesPerSecond_), updated_(Clock::now()) {}

bool GlobalReplyBudget::Reserve(std::size_t bytes, bool quietSource, Clock::time_point now) {
    std::lock_guard<std::mutex> lock(mutex_);
    const double seconds = std::max(0.0, std::chrono::duration<double>(now - updated_).count());
    available_ = std::min(bytesPerSecond_, available_ + seconds * bytesPerSecond_);
    updated_ = std::max(updated_, now);
    const double kept = quietSource ? 0.0 : kQuietShare * bytesPerSecond_;
    if (available_ - kept < static_cast<double>(bytes))
        return false;
    available_ -= static_cast<double>(bytes);
    return true;
}

void GlobalReplyBudget::Refund(std::size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    available_ = std::min(bytesPerSecond_, available_ + static_cast<double>(bytes));
}

}  // namespace quillcrest::lookupd
