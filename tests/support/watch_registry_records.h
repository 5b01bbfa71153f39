#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/settings_fake_registry.h"

namespace quillcrest::fakes {

// The watch's records as they stand in the fake registry, read and planted raw so that a test also sees the
// registry type each value was written with.
inline std::string UserKey(const std::string& id) {
    return "HKCU\\SOFTWARE\\Brenholt\\Quillcrest\\Interfaces\\" + id;
}
inline std::string SystemKey(const std::string& id) {
    return "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + id;
}

// The text of a REG_SZ value; nullopt when it is absent or of another type.
inline std::optional<std::string> StoredText(const FakeRegistryApi& registry,
                                             const std::string& key,
                                             const std::string& name) {
    const auto value = registry.GetValue(key, name);
    if (!value || value->type != kRegSz || value->data.empty() || value->data.back() != 0)
        return std::nullopt;
    return std::string(value->data.begin(), value->data.end() - 1);
}

// The number of a REG_DWORD value; nullopt when it is absent or of another type.
inline std::optional<std::uint32_t> StoredDword(const FakeRegistryApi& registry,
                                                const std::string& key,
                                                const std::string& name) {
    const auto value = registry.GetValue(key, name);
    if (!value || value->type != kRegDword || value->data.size() != 4)
        return std::nullopt;
    return static_cast<std::uint32_t>(value->data[0] | value->data[1] << 8 | value->data[2] << 16 |
                                      static_cast<std::uint32_t>(value->data[3]) << 24);
}

inline void PlantText(FakeRegistryApi& registry,
                      const std::string& key,
                      const std::string& name,
                      const std::string& text) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    registry.PutValue(key, name, kRegSz, data);
}

inline void PlantDword(FakeRegistryApi& registry, const std::string& key, const std::string& name, std::uint32_t n) {
    registry.PutValue(key, name, kRegDword,
                      {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                       static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)});
}

}  // namespace quillcrest::fakes
