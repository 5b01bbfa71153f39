#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <thread>

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
        std::this_thread::sleep_for(delay_);
        const auto found = table_.find(address);
        return found == table_.end() ? std::nullopt : std::optional<std::string>(found->second);
    }

  private:
    std::map<std::uint32_t, std::string> table_;
    std::chrono::milliseconds delay_;
};

constexpr std::uint32_t Address(int a, int b, int c, int d) {
    return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(b) << 16 |
           static_cast<std::uint32_t>(c) << 8 | static_cast<std::uint32_t>(d);
}

}  // namespace quillcrest::lookupd::testing
