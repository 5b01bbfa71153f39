#pragma once

#include <cstddef>

namespace quillcrest {

// Most entries one walk follows. Real configurations hold a handful of adapters or addresses; the limit only
// exists so that a platform list whose Next pointers loop back cannot hang the user-interface thread.
constexpr std::size_t kMaxChainEntries = 1024;

// Visits the entry embedded in the platform structure (always, even when its text is empty) and then each
// entry reached through Next, in order, until Next is null or kMaxChainEntries entries have been visited.
template <typename Entry, typename Visit>
void WalkChain(const Entry& first, Visit&& visit) {
    const Entry* entry = &first;
    for (std::size_t visited = 0; entry != nullptr && visited < kMaxChainEntries; ++visited) {
        visit(*entry);
        entry = entry->Next;
    }
}

}  // namespace quillcrest
