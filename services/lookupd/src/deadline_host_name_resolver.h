#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "host_name_resolver.h"

namespace quillcrest::lookupd {

struct ResolverPoolLimits {
    std::size_t threads = 4;                   // lookups that may run at once
    std::size_t queued = 64;                   // lookups that may wait for a thread
    std::chrono::milliseconds deadline{1500};  // how long a caller waits for a name
};

// Gives another resolver a deadline: lookups run on a small pool of threads, and a caller waits for its answer
// at most the deadline. A lookup that takes longer finishes in the background and its answer is dropped; when
// every thread is busy and the queue is full, the caller gets no name at once. So a slow or hanging name server
// costs each request at most the deadline and never holds up requests that need no lookup thread.
class DeadlineHostNameResolver final : public HostNameResolver {
  public:
    // `inner` must outlive this object.
    DeadlineHostNameResolver(HostNameResolver& inner, ResolverPoolLimits limits = {});
    // Waits for lookups that are still running.
    ~DeadlineHostNameResolver() override;

    DeadlineHostNameResolver(const DeadlineHostNameResolver&) = delete;
    DeadlineHostNameResolver& operator=(const DeadlineHostNameResolver&) = delete;

    std::optional<std::string> NameOf(std::uint32_t address) override;

  private:
    struct Pending;
    void Work();

    HostNameResolver& inner_;
    ResolverPoolLimits limits_;
    std::mutex mutex_;
    std::condition_variable queueChanged_;
    std::deque<std::shared_ptr<Pending>> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace quillcrest::lookupd
