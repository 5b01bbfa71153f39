#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillcrest {

// Most entries one walk follows. Real configurations hold a handful of adapters or addresses; the limit only
// exists so that a platform list whose Next pointers loop back cannot hang the user-interface thread.
constexpr std::size_t kMaxChainEntries = 1024;
// Largest answer size the platform is believed to ask for: far beyond any real configuration (each further DNS
// server costs 48 bytes, each adapter about 700), so a larger request is a fault and is not allocated.
constexpr std::size_t kMaxAnswerSize = 1024 * 1024;

// Zero-filled room for one IP Helper answer. The platform places a list's further entries, with pointers between
// them, behind the head structure, so the storage is aligned for pointers. It is never shorter than `minimumSize`
// (the head structure): a platform that under-reports the size then leaves zeros to read, not foreign memory.
class IpHelperAnswer {
  public:
    IpHelperAnswer(std::size_t reportedSize, std::size_t minimumSize)
        : storage_((std::max(reportedSize, minimumSize) + sizeof(Slot) - 1) / sizeof(Slot)) {}

    template <typename Head>
    Head* as() {
        static_assert(alignof(Head) <= alignof(Slot), "answer structures must fit the buffer's alignment");
        return reinterpret_cast<Head*>(storage_.data());
    }
    template <typename Head>
    const Head* as() const {
        static_assert(alignof(Head) <= alignof(Slot), "answer structures must fit the buffer's alignment");
        return reinterpret_cast<const Head*>(storage_.data());
    }
    std::size_t size() const { return storage_.size() * sizeof(Slot); }

    // True when the whole object of `bytes` bytes at `address` lies inside the answer. Every pointer the platform
    // wrote into the answer (Next, CurrentIpAddress) is followed only then.
    bool Holds(const void* address, std::size_t bytes) const {
        const auto at = reinterpret_cast<std::uintptr_t>(address);
        const auto begin = reinterpret_cast<std::uintptr_t>(storage_.data());
        return address != nullptr && at >= begin && bytes <= size() && at - begin <= size() - bytes;
    }

    template <typename Entry>
    const Entry* Follow(const Entry* entry) const {
        return Holds(entry, sizeof(Entry)) ? entry : nullptr;
    }

  private:
    using Slot = std::uint64_t;
    std::vector<Slot> storage_;
};

// Visits the entry embedded in the platform structure (always, even when its text is empty) and then each entry
// reached through Next, in order, while the entry lies inside the answer and fewer than kMaxChainEntries have been
// visited.
template <typename Entry, typename Visit>
void WalkChain(const IpHelperAnswer& answer, const Entry& first, Visit&& visit) {
    const Entry* entry = &first;
    for (std::size_t visited = 0; entry != nullptr && visited < kMaxChainEntries; ++visited) {
        visit(*entry);
        entry = answer.Follow<Entry>(entry->Next);
    }
}

}  // namespace quillcrest
