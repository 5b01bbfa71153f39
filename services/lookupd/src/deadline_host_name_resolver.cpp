#include "deadline_host_name_resolver.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>

namespace quillcrest::lookupd {
namespace {

// The asker of lookups made through NameOf, which has none: they share one allowance.
constexpr std::uint32_t kNoAsker = 0;

// One lookup, shared by its caller and the thread that runs it, so either may leave first.
struct Pending {
    Pending(std::uint32_t address, std::uint32_t asker) : address(address), asker(asker) {}
    const std::uint32_t address;
    const std::uint32_t asker;
    bool started = false;
    bool done = false;
    std::optional<std::string> name;
};

}  // namespace

// Everything the pool's threads use, kept alive by each of them: a thread stuck in a lookup may outlive the
// resolver object.
struct DeadlineHostNameResolver::Shared {
    Shared(HostNameResolver& inner, ResolverPoolLimits limits) : inner(inner), limits(limits), cache(limits.cache) {}

    HostNameResolver& inner;
    const ResolverPoolLimits limits;

    std::mutex mutex;
    std::condition_variable queueChanged;  // threads wait for work
    std::condition_variable finished;      // callers wait for their lookup; the destructor for the threads
    std::deque<std::shared_ptr<Pending>> queue;
    std::unordered_map<std::uint32_t, std::size_t> lookupsOfAsker;  // waiting or running, by asker
    HostNameCache cache;
    std::size_t liveThreads = 0;
    bool stopping = false;

    void Work();
    // Called with the mutex held: one lookup of asker has left the queue or ended.
    void Release(std::uint32_t asker);
};

void DeadlineHostNameResolver::Shared::Release(std::uint32_t asker) {
    const auto found = lookupsOfAsker.find(asker);
    if (found != lookupsOfAsker.end() && --found->second == 0)
        lookupsOfAsker.erase(found);
}

void DeadlineHostNameResolver::Shared::Work() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        queueChanged.wait(lock, [&] { return stopping || !queue.empty(); });
        if (stopping)
            break;
        std::shared_ptr<Pending> pending = std::move(queue.front());
        queue.pop_front();
        pending->started = true;
        lock.unlock();
        std::optional<std::string> name;
        try {
            name = inner.NameOf(pending->address);
        } catch (...) {
            // A failed lookup is a missing name.
        }
        lock.lock();
        cache.Store(pending->address, name, HostNameCache::Clock::now());
        pending->name = std::move(name);
        pending->done = true;
        Release(pending->asker);
        finished.notify_all();
    }
    --liveThreads;
    finished.notify_all();
}

DeadlineHostNameResolver::DeadlineHostNameResolver(HostNameResolver& inner, ResolverPoolLimits limits)
    : shared_(std::make_shared<Shared>(inner, limits)) {
    for (std::size_t i = 0; i < limits.threads; ++i) {
        {
            std::lock_guard<std::mutex> lock(shared_->mutex);
            ++shared_->liveThreads;
        }
        std::thread([shared = shared_] { shared->Work(); }).detach();
    }
}

DeadlineHostNameResolver::~DeadlineHostNameResolver() {
    Stop();
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->finished.wait_for(lock, shared_->limits.stopWait, [&] { return shared_->liveThreads == 0; });
}

void DeadlineHostNameResolver::Stop() {
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->stopping = true;
        for (const std::shared_ptr<Pending>& pending : shared_->queue)
            shared_->Release(pending->asker);
        shared_->queue.clear();
    }
    shared_->queueChanged.notify_all();
    shared_->finished.notify_all();
}

std::optional<HostNameCache::Outcome> DeadlineHostNameResolver::Remembered(std::uint32_t address) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->cache.Find(address, HostNameCache::Clock::now());
}

std::optional<std::string> DeadlineHostNameResolver::NameOf(std::uint32_t address) {
    return NameOfFor(address, kNoAsker);
}

std::optional<std::string> DeadlineHostNameResolver::NameOfFor(std::uint32_t address, std::uint32_t asker) {
    Shared& shared = *shared_;
    const auto now = HostNameCache::Clock::now();
    std::unique_lock<std::mutex> lock(shared.mutex);
    if (shared.stopping)
        throw ResolverStopped();
    if (const std::optional<HostNameCache::Outcome> known = shared.cache.Find(address, now))
        return known->name;
    const auto asked = shared.lookupsOfAsker.find(asker);
    if (shared.queue.size() >= shared.limits.queued ||
        (asked != shared.lookupsOfAsker.end() && asked->second >= shared.limits.perAsker))
        return std::nullopt;

    auto pending = std::make_shared<Pending>(address, asker);
    shared.queue.push_back(pending);
    ++shared.lookupsOfAsker[asker];
    shared.queueChanged.notify_one();
    shared.finished.wait_until(lock, now + shared.limits.deadline, [&] { return pending->done || shared.stopping; });
    if (pending->done)
        return pending->name;
    if (shared.stopping)
        throw ResolverStopped();
    if (!pending->started) {
        // Nobody waits for it any more: it must not take a thread later.
        shared.queue.erase(std::find(shared.queue.begin(), shared.queue.end(), pending));
        shared.Release(asker);
    }
    return std::nullopt;
}

}  // namespace quillcrest::lookupd
