#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "recency_map.h"

namespace quillcrest::lookupd {

struct HostNameCacheLimits {
    std::size_t addresses = 4096;                                        // addresses remembered at once
    std::chrono::milliseconds nameLifetime{std::chrono::minutes(5)};     // how long a found name is reused
    std::chrono::milliseconds failureLifetime{std::chrono::minutes(1)};  // how long "no name" is reused
};

// Remembers the outcome of recent reverse lookups, names and failures alike, for a short time: the servers that
// clients ask about are few and popular, and an address whose name servers hang costs one lookup a minute
// instead of one per request. Bounded; the least recently used address gives way. Not thread-safe.
class HostNameCache {
  public:
    using Clock = std::chrono::steady_clock;

    // A remembered outcome: the name, or nothing when the address had none.
    struct Outcome {
        std::optional<std::string> name;
    };

    explicit HostNameCache(HostNameCacheLimits limits = {});

    // The outcome remembered for address, unless there is none or it is too old.
    std::optional<Outcome> Find(std::uint32_t address, Clock::time_point now);
    void Store(std::uint32_t address, std::optional<std::string> name, Clock::time_point now);

    std::size_t size() const { return entries_.size(); }

  private:
    struct Entry {
        Outcome outcome;
        Clock::time_point expires;
    };

    HostNameCacheLimits limits_;
    RecencyMap<Entry> entries_;
};

}  // namespace quillcrest::lookupd
