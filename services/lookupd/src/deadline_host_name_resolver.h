#pragma once

#include <chrono>
#include <cstddef>
#include <memory>

#include "host_name_cache.h"
#include "host_name_resolver.h"

namespace quillcrest::lookupd {

struct ResolverPoolLimits {
    std::size_t threads = 8;                   // lookups that may run at once
    std::size_t queued = 56;                   // lookups that may wait for a thread
    std::size_t perAsker = 2;                  // lookups one asker may have waiting or running
    std::chrono::milliseconds deadline{1500};  // how long a caller waits for a name
    std::chrono::milliseconds stopWait{250};   // how long stopping waits for lookups that are running
    HostNameCacheLimits cache;
};

// Gives another resolver a deadline, a cache and fair shares: lookups run on a small pool of threads, and a
// caller waits for its answer at most the deadline.
// - A lookup whose caller has given up before a thread took it is dropped from the queue, so lookups that nobody
//   waits for never pile up. One that is already running cannot be cut short (the system's resolver has no way to
//   cancel); it runs on and its outcome goes into the cache.
// - Names and failures are remembered for a while (HostNameCache), so a popular server costs one lookup, and a
//   hanging zone costs one lookup a minute, not one per request.
// - An asker may have only a few lookups waiting or running (those still running after their caller left
//   included); past that, and when the queue is full, the caller gets no name at once.
// So a slow or hanging name server costs each request at most the deadline, and one source cannot take the pool.
class DeadlineHostNameResolver final : public HostNameResolver {
  public:
    // `inner` must outlive this object and any lookup it leaves running when destroyed (see the destructor).
    DeadlineHostNameResolver(HostNameResolver& inner, ResolverPoolLimits limits = {});
    // Stops, waits at most limits.stopWait for running lookups, and leaves the rest to end on their own threads
    // (a lookup stuck in the system's resolver may take its whole timeout).
    ~DeadlineHostNameResolver() override;

    DeadlineHostNameResolver(const DeadlineHostNameResolver&) = delete;
    DeadlineHostNameResolver& operator=(const DeadlineHostNameResolver&) = delete;

    std::optional<std::string> NameOf(std::uint32_t address) override;
    // Throws ResolverStopped once Stop() was called, also to callers already waiting.
    std::optional<std::string> NameOfFor(std::uint32_t address, std::uint32_t asker) override;

    // Wakes every waiting caller with ResolverStopped and takes no more lookups.
    void Stop();

    // What the cache holds for address now, without starting a lookup: the outcome of a lookup that has ended
    // (also of one whose caller left early), or nothing.
    std::optional<HostNameCache::Outcome> Remembered(std::uint32_t address);

  private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

}  // namespace quillcrest::lookupd
