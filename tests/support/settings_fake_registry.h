#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "settings/registry_api.h"

namespace quillcrest::fakes {

namespace fake_registry_detail {

inline const std::map<std::uint32_t, std::string>& RootNames() {
    static const std::map<std::uint32_t, std::string> names = {
        {kHkeyClassesRoot, "HKCR"},     {kHkeyCurrentUser, "HKCU"},   {kHkeyLocalMachine, "HKLM"}, {kHkeyUsers, "HKU"},
        {kHkeyPerformanceData, "HKPD"}, {kHkeyCurrentConfig, "HKCC"}, {kHkeyDynData, "HKDD"},
    };
    return names;
}

inline std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

inline bool IsRootPath(const std::string& path) {
    return path.find('\\') == std::string::npos;
}

}  // namespace fake_registry_detail

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

    // Windows answers a malformed path (such as one starting with "\") with this.
    static constexpr RegResult kBadPathname = 161;

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

inline void FakeRegistryApi::PutKey(const std::string& path) {
    std::string prefix;
    std::string::size_type from = 0;
    while (from != std::string::npos) {
        const std::string::size_type cut = path.find('\\', from);
        prefix = path.substr(0, cut);
        from = cut == std::string::npos ? cut : cut + 1;
        if (!fake_registry_detail::IsRootPath(prefix) && !Find(prefix))
            keys_[fake_registry_detail::Upper(prefix)].path = prefix;
    }
}

inline void FakeRegistryApi::PutValue(const std::string& keyPath,
                                      const std::string& name,
                                      std::uint32_t type,
                                      std::vector<std::uint8_t> data) {
    PutKey(keyPath);
    Find(keyPath)->values[fake_registry_detail::Upper(name)] = Value{type, std::move(data)};
}

inline void FakeRegistryApi::Grant(const std::string& keyPath, std::uint32_t access) {
    PutKey(keyPath);
    Find(keyPath)->granted = access;
}

inline bool FakeRegistryApi::HasKey(const std::string& path) const {
    return Find(path) != nullptr;
}

inline std::optional<FakeRegistryApi::Value> FakeRegistryApi::GetValue(const std::string& keyPath,
                                                                       const std::string& name) const {
    const Key* key = Find(keyPath);
    if (!key)
        return std::nullopt;
    auto value = key->values.find(fake_registry_detail::Upper(name));
    if (value == key->values.end())
        return std::nullopt;
    return value->second;
}

inline std::vector<std::string> FakeRegistryApi::KeyPaths() const {
    std::vector<std::string> paths;
    for (const auto& entry : keys_)
        paths.push_back(entry.second.path);
    return paths;
}

inline FakeRegistryApi::Key* FakeRegistryApi::Find(const std::string& path) {
    auto key = keys_.find(fake_registry_detail::Upper(path));
    return key == keys_.end() ? nullptr : &key->second;
}

inline const FakeRegistryApi::Key* FakeRegistryApi::Find(const std::string& path) const {
    auto key = keys_.find(fake_registry_detail::Upper(path));
    return key == keys_.end() ? nullptr : &key->second;
}

inline std::optional<std::string> FakeRegistryApi::BasePath(RegKey handle) const {
    for (const auto& root : fake_registry_detail::RootNames()) {
        if (PredefinedKey(root.first) == handle)
            return root.second;
    }
    auto open = handles_.find(handle);
    if (open == handles_.end())
        return std::nullopt;
    return open->second;
}

inline FakeRegistryApi::Key* FakeRegistryApi::FindByHandle(RegKey handle) {
    auto open = handles_.find(handle);
    return open == handles_.end() ? nullptr : Find(open->second);
}

inline std::optional<std::string> FakeRegistryApi::Resolve(RegKey parent, const std::string& subKey) const {
    std::optional<std::string> path = BasePath(parent);
    if (!path || subKey.empty())
        return path;
    // A path may not start with a separator; past the first part the platform passes over empty parts, so runs
    // of separators count as one and trailing ones are dropped.
    if (subKey.front() == '\\')
        return std::nullopt;
    std::string::size_type from = 0;
    while (from < subKey.size()) {
        std::string::size_type cut = subKey.find('\\', from);
        if (cut == std::string::npos)
            cut = subKey.size();
        if (cut > from)
            *path += "\\" + subKey.substr(from, cut - from);
        from = cut + 1;
    }
    return path;
}

inline std::vector<std::string> FakeRegistryApi::ChildNames(const std::string& path) const {
    const std::string prefix = fake_registry_detail::Upper(path) + "\\";
    std::vector<std::string> names;
    for (const auto& entry : keys_) {
        const std::string& upper = entry.first;
        if (upper.compare(0, prefix.size(), prefix) == 0 && upper.find('\\', prefix.size()) == std::string::npos)
            names.push_back(entry.second.path.substr(prefix.size()));
    }
    return names;
}

inline RegResult FakeRegistryApi::OpenOrCreate(bool create,
                                               RegKey parent,
                                               const std::string& subKey,
                                               std::uint32_t access,
                                               RegKey& key) {
    if (!BasePath(parent))
        return kRegInvalidHandle;
    const std::optional<std::string> path = Resolve(parent, subKey);
    if (!path)
        return kBadPathname;
    openRequests_.push_back(OpenRequest{create, *path, access});
    if (!fake_registry_detail::IsRootPath(*path) && !Find(*path)) {
        if (!create)
            return kRegFileNotFound;
        PutKey(*path);
    }
    const Key* found = Find(*path);
    const std::uint32_t granted = found ? found->granted : kKeyAllAccess;
    if ((access & ~granted) != 0)
        return kRegAccessDenied;
    key = nextHandle_++;
    handles_[key] = found ? found->path : *path;
    return kRegSuccess;
}

inline RegResult FakeRegistryApi::CreateKey(RegKey parent,
                                            const std::string& subKey,
                                            std::uint32_t access,
                                            RegKey& key) {
    return OpenOrCreate(true, parent, subKey, access, key);
}

inline RegResult FakeRegistryApi::OpenKey(RegKey parent, const std::string& subKey, std::uint32_t access, RegKey& key) {
    return OpenOrCreate(false, parent, subKey, access, key);
}

inline RegResult FakeRegistryApi::QueryValue(RegKey handle,
                                             const std::string& name,
                                             std::uint32_t* type,
                                             std::uint8_t* data,
                                             std::uint32_t* size) {
    const Key* key = FindByHandle(handle);
    if (!key)
        return kRegInvalidHandle;
    auto value = key->values.find(fake_registry_detail::Upper(name));
    if (value == key->values.end())
        return kRegFileNotFound;
    const std::uint32_t needed = static_cast<std::uint32_t>(value->second.data.size());
    if (type)
        *type = value->second.type;
    if (!data) {
        if (size)
            *size = needed;
        return kRegSuccess;
    }
    if (!size)
        return kRegInvalidHandle;
    if (*size < needed) {
        *size = needed;
        return kRegMoreData;
    }
    if (needed > 0)
        std::memcpy(data, value->second.data.data(), needed);
    *size = needed;
    return kRegSuccess;
}

inline RegResult FakeRegistryApi::SetValue(RegKey handle,
                                           const std::string& name,
                                           std::uint32_t type,
                                           const std::uint8_t* data,
                                           std::uint32_t size) {
    Key* key = FindByHandle(handle);
    if (!key)
        return kRegInvalidHandle;
    key->values[fake_registry_detail::Upper(name)] = Value{type, std::vector<std::uint8_t>(data, data + size)};
    return kRegSuccess;
}

inline RegResult FakeRegistryApi::DeleteValue(RegKey handle, const std::string& name) {
    Key* key = FindByHandle(handle);
    if (!key)
        return kRegInvalidHandle;
    return key->values.erase(fake_registry_detail::Upper(name)) > 0 ? kRegSuccess : kRegFileNotFound;
}

inline RegResult FakeRegistryApi::EnumKey(RegKey handle, std::uint32_t index, std::string& name) {
    auto open = handles_.find(handle);
    if (open == handles_.end())
        return kRegInvalidHandle;
    const std::vector<std::string> names = ChildNames(open->second);
    if (index >= names.size())
        return kRegNoMoreItems;
    name = names[index];
    return kRegSuccess;
}

inline RegResult FakeRegistryApi::DeleteKey(RegKey parent, const std::string& subKey) {
    const std::optional<std::string> path = Resolve(parent, subKey);
    if (!path || subKey.empty())
        return kBadPathname;
    const Key* key = Find(*path);
    if (!key)
        return kRegFileNotFound;
    if (!ChildNames(*path).empty())
        return kRegAccessDenied;
    deletedKeys_.push_back(key->path);
    keys_.erase(fake_registry_detail::Upper(*path));
    return kRegSuccess;
}

inline void FakeRegistryApi::CloseKey(RegKey handle) {
    if (handles_.erase(handle) == 0)
        ADD_FAILURE() << "closed a key handle that is not open: " << handle;
}

}  // namespace quillcrest::fakes
