#include "geoip_country_lookup.h"

#include <GeoIP.h>

namespace quillcrest::lookupd {

struct GeoIpCountryLookup::Database {
    explicit Database(GeoIP* handle) : handle(handle) {}
    ~Database() { GeoIP_delete(handle); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    GeoIP* const handle;
};

GeoIpCountryLookup::GeoIpCountryLookup(const std::string& path) {
    // libGeoIP prints to stderr when the file is missing; the service then simply knows no countries.
    if (GeoIP* handle = GeoIP_open(path.c_str(), GEOIP_STANDARD | GEOIP_SILENCE))
        database_ = std::make_unique<Database>(handle);
}

GeoIpCountryLookup::~GeoIpCountryLookup() = default;

std::optional<std::string> GeoIpCountryLookup::CountryOf(std::uint32_t address) {
    if (!database_)
        return std::nullopt;
    std::lock_guard<std::mutex> lock(mutex_);
    const int id = GeoIP_id_by_ipnum(database_->handle, address);
    const char* name = id > 0 ? GeoIP_country_name_by_id(database_->handle, id) : nullptr;
    if (name == nullptr || *name == '\0')
        return std::nullopt;
    return std::string(name);
}

}  // namespace quillcrest::lookupd
