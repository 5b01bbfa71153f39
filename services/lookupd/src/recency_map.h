#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <list>
#include <unordered_map>
#include <utility>

namespace quillcrest::lookupd {

// A table keyed by IPv4 address that also knows which entries were used least recently, so that making room
// costs the same whatever the table's size: every operation is O(1) (a hash look-up and a list splice), and a
// full table never has to be walked. Holds at most `capacity` entries; the caller decides what gives way.
template <typename Value>
class RecencyMap {
  public:
    explicit RecencyMap(std::size_t capacity) : capacity_(capacity) { index_.reserve(capacity); }

    std::size_t size() const { return index_.size(); }
    bool full() const { return index_.size() >= capacity_; }

    // The entry for key, now the most recent one; nullptr when there is none.
    Value* Find(std::uint32_t key) {
        const auto found = index_.find(key);
        if (found == index_.end())
            return nullptr;
        entries_.splice(entries_.begin(), entries_, found->second);
        return &found->second->second;
    }

    // Adds or replaces the entry for key as the most recent one; when the table is full and key is new, the least
    // recent entry gives way. With a capacity of zero nothing is kept and nullptr comes back.
    Value* Put(std::uint32_t key, Value value) {
        if (Value* existing = Find(key)) {
            *existing = std::move(value);
            return existing;
        }
        if (capacity_ == 0)
            return nullptr;
        if (full())
            Erase(entries_.back().first);
        entries_.emplace_front(key, std::move(value));
        index_.emplace(key, entries_.begin());
        return &entries_.front().second;
    }

    void Erase(std::uint32_t key) {
        const auto found = index_.find(key);
        if (found == index_.end())
            return;
        entries_.erase(found->second);
        index_.erase(found);
    }

    // Among the `candidates` least recent entries, removes the least recent one for which
    // canGo(const Value&) holds; tells whether one went. Looks at no more than `candidates` entries.
    template <typename Predicate>
    bool EraseLeastRecentWhere(std::size_t candidates, Predicate canGo) {
        auto it = entries_.end();
        for (std::size_t looked = 0; looked < candidates && it != entries_.begin(); ++looked) {
            --it;
            if (canGo(static_cast<const Value&>(it->second))) {
                index_.erase(it->first);
                entries_.erase(it);
                return true;
            }
        }
        return false;
    }

  private:
    using Entries = std::list<std::pair<std::uint32_t, Value>>;

    std::size_t capacity_;
    Entries entries_;  // most recent first
    std::unordered_map<std::uint32_t, typename Entries::iterator> index_;
};

}  // namespace quillcrest::lookupd
