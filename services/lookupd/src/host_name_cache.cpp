#include "host_name_cache.h"

#include <utility>

namespace quillcrest::lookupd {

HostNameCache::HostNameCache(HostNameCacheLimits limits) : limits_(limits), entries_(limits.addresses) {}

std::optional<HostNameCache::Outcome> HostNameCache::Find(std::uint32_t address, Clock::time_point now) {
    const Entry* entry = entries_.Find(address);
    if (entry == nullptr)
        return std::nullopt;
    if (now >= entry->expires) {
        entries_.Erase(address);
        return std::nullopt;
    }
    return entry->outcome;
}

void HostNameCache::Store(std::uint32_t address, std::optional<std::string> name, Clock::time_point now) {
    const auto lifetime = name ? limits_.nameLifetime : limits_.failureLifetime;
    entries_.Put(address, Entry{Outcome{std::move(name)}, now + lifetime});
}

}  // namespace quillcrest::lookupd
