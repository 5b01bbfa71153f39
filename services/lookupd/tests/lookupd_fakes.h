#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "country_lookup.h"
#include "host_name_resolver.h"

namespace quillcrest::lookupd::testing {

// Countries and names from tables; an address missing from a table is unknown there.
class TableCountries : public CountryLookup {
  public:
    explicit TableCountries(std::map<std::uint32_t, std::string> table) : table_(std::move(table)) {}
    std::optional<std::string> CountryOf(std::uint32_t address) override {
        ++calls;
        const auto found = table_.find(address);
        return found == table_.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    int calls = 0;

  private:
    std::map<std::uint32_t, std::string> table_;
};

class TableNames : public HostNameResolver {
  public:
    explicit TableNames(std::map<std::uint32_t, std::string> table, std::chrono::milliseconds delay = {})
        : table_(std::move(table)), delay_(delay) {}
    std::optional<std::string> NameOf(std::uint32_t address) override {
        ++calls;
        std::this_thread::sleep_for(delay_);
        const auto found = table_.find(address);
        return found == table_.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    std::atomic<int> calls{0};

  private:
    std::map<std::uint32_t, std::string> table_;
    std::chrono::milliseconds delay_;
};

// The name BlockingNames gives an address.
inline std::string NameFromBlockingNames(std::uint32_t address) {
    return "name-" + std::to_string(address);
}

// Names every address "name-N" (N its number), but hangs on the addresses in `blocked` until Release(), like a
// name server that never answers for some zones. Records each call. Its destructor releases and waits for the
// calls still inside, so a resolver thread left stuck in it never outlives it.
class BlockingNames : public HostNameResolver {
  public:
    explicit BlockingNames(std::set<std::uint32_t> blocked) : blocked_(std::move(blocked)) {}
    ~BlockingNames() override {
        Release();
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return returned_ == calls_.size(); });
    }

    std::optional<std::string> NameOf(std::uint32_t address) override {
        std::unique_lock<std::mutex> lock(mutex_);
        calls_.push_back(address);
        changed_.notify_all();
        changed_.wait(lock, [&] { return released_ || blocked_.count(address) == 0; });
        ++returned_;
        changed_.notify_all();
        return NameFromBlockingNames(address);
    }

    void Release() {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

    std::vector<std::uint32_t> Calls() {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }

    // Waits (at most `wait`) until `count` calls have returned.
    bool WaitForReturns(std::size_t count, std::chrono::milliseconds wait = std::chrono::seconds(5)) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, wait, [&] { return returned_ >= count; });
    }

  private:
    const std::set<std::uint32_t> blocked_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::uint32_t> calls_;
    std::size_t returned_ = 0;
    bool released_ = false;
};

constexpr std::uint32_t Address(int a, int b, int c, int d) {
    return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(b) << 16 |
           static_cast<std::uint32_t>(c) << 8 | static_cast<std::uint32_t>(d);
}

}  // namespace quillcrest::lookupd::testing
