#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "settings/registry_api.h"

namespace quillcrest {

// An in-memory registry with the rules the settings logic depends on: keys are case-insensitive, a key opens
// only with rights it grants, a key with subkeys cannot be deleted, subkeys enumerate in name order, and every
// handle must be closed exactly once. Paths name the root first: "HKCU\Software\Test".
class FakeRegistryApi : public RegistryApi {
  public:
    struct Value {
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };
    // One open or create request, as it reached the registry.
    struct OpenRequest {
        bool create = false;
        std::string path;
        std::uint32_t access = 0;
    };

    explicit FakeRegistryApi(bool ntFamily = true) : ntFamily_(ntFamily) {}

    void PutKey(const std::string& path);
    void PutValue(const std::string& keyPath,
                  const std::string& name,
                  std::uint32_t type,
                  std::vector<std::uint8_t> data);
    // Limits the rights the key grants (all rights by default).
    void Grant(const std::string& keyPath, std::uint32_t access);

    bool HasKey(const std::string& path) const;
    std::optional<Value> GetValue(const std::string& keyPath, const std::string& name) const;
    std::vector<std::string> KeyPaths() const;
    const std::vector<OpenRequest>& openRequests() const { return openRequests_; }
    // Keys in the order they were deleted.
    const std::vector<std::string>& deletedKeys() const { return deletedKeys_; }
    std::size_t openHandleCount() const { return handles_.size(); }

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
    bool IsNtFamily() const override { return ntFamily_; }

  private:
    struct Key {
        std::string path;  // as first written
        std::uint32_t granted = kKeyAllAccess;
        std::map<std::string, Value> values;  // by upper-case name
    };

    std::optional<std::string> BasePath(RegKey handle) const;
    std::optional<std::string> Resolve(RegKey parent, const std::string& subKey) const;
    RegResult OpenOrCreate(bool create, RegKey parent, const std::string& subKey, std::uint32_t access, RegKey& key);
    Key* Find(const std::string& path);
    const Key* Find(const std::string& path) const;
    Key* FindByHandle(RegKey handle);
    std::vector<std::string> ChildNames(const std::string& path) const;

    bool ntFamily_;
    std::map<std::string, Key> keys_;  // by upper-case path
    std::map<RegKey, std::string> handles_;
    RegKey nextHandle_ = 0x1000;
    std::vector<OpenRequest> openRequests_;
    std::vector<std::string> deletedKeys_;
};

}  // namespace quillcrest
