#pragma once

#include "settings/registry_api.h"

namespace quillcrest {

// The registry of the running Windows.
class Win32RegistryApi final : public RegistryApi {
  public:
    RegResult CreateKey(RegKey parent, const std::string& subKey, std::uint32_t access, RegKey& key) override;
    RegResult OpenKey(RegKey parent, const std::string& subKey, std::uint32_t access, RegKey& key) override;
    RegResult QueryValue(RegKey key,
                         const std::string& name,
                         std::uint32_t* type,
                         std::uint8_t* data,
                         std::uint32_t* size) override;
    RegResult SetValue(RegKey key,
                       const std::string& name,
                       std::uint32_t type,
                       const std::uint8_t* data,
                       std::uint32_t size) override;
    RegResult DeleteValue(RegKey key, const std::string& name) override;
    RegResult EnumKey(RegKey key, std::uint32_t index, std::string& name) override;
    RegResult DeleteKey(RegKey parent, const std::string& subKey) override;
    void CloseKey(RegKey key) override;
    bool IsNtFamily() const override;
};

}  // namespace quillcrest
