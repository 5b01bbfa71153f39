#include "deadline_host_name_resolver.h"

#include <utility>

namespace quillcrest::lookupd {

// One lookup, shared by the caller and the thread that runs it, so either may leave first.
struct DeadlineHostNameResolver::Pending {
    explicit Pending(std::uint32_t address) : address(address) {}
    const std::uint32_t address;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::optional<std::string> name;
};

DeadlineHostNameResolver::DeadlineHostNameResolver(HostNameResolver& inner, ResolverPoolLimits limits)
    : inner_(inner), limits_(limits) {
    for (std::size_t i = 0; i < limits_.threads; ++i)
        threads_.emplace_back([this] { Work(); });
}

DeadlineHostNameResolver::~DeadlineHostNameResolver() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    queueChanged_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

std::optional<std::string> DeadlineHostNameResolver::NameOf(std::uint32_t address) {
    auto pending = std::make_shared<Pending>(address);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_ || queue_.size() >= limits_.queued)
            return std::nullopt;
        queue_.push_back(pending);
    }
    queueChanged_.notify_one();
    std::unique_lock<std::mutex> lock(pending->mutex);
    if (!pending->finished.wait_for(lock, limits_.deadline, [&] { return pending->done; }))
        return std::nullopt;
    return pending->name;
}

void DeadlineHostNameResolver::Work() {
    for (;;) {
        std::shared_ptr<Pending> pending;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            queueChanged_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            pending = std::move(queue_.front());
            queue_.pop_front();
        }
        std::optional<std::string> name;
        try {
            name = inner_.NameOf(pending->address);
        } catch (...) {
            // A failed lookup is a missing name.
        }
        {
            std::lock_guard<std::mutex> lock(pending->mutex);
            pending->name = std::move(name);
            pending->done = true;
        }
        pending->finished.notify_all();
    }
}

}  // namespace quillcrest::lookupd
