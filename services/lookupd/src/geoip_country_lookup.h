#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "country_lookup.h"

namespace quillcrest::lookupd {

// Debian's country database read with libGeoIP. A database that cannot be opened knows no address.
class GeoIpCountryLookup final : public CountryLookup {
  public:
    static constexpr char kDefaultDatabase[] = "/usr/share/GeoIP/GeoIP.dat";

    explicit GeoIpCountryLookup(const std::string& path = kDefaultDatabase);
    ~GeoIpCountryLookup() override;

    bool opened() const { return database_ != nullptr; }
    std::optional<std::string> CountryOf(std::uint32_t address) override;

  private:
    struct Database;
    std::mutex mutex_;  // libGeoIP keeps a cache per handle
    std::unique_ptr<Database> database_;
};

}  // namespace quillcrest::lookupd
