#include "native/settings_fake_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace quillcrest {
namespace {

// Windows answers a malformed path (such as one starting with "\") with this.
constexpr RegResult kRegBadPathname = 161;

const std::map<std::uint32_t, std::string>& RootNames() {
    static const std::map<std::uint32_t, std::string> names = {
        {kHkeyClassesRoot, "HKCR"},     {kHkeyCurrentUser, "HKCU"},   {kHkeyLocalMachine, "HKLM"}, {kHkeyUsers, "HKU"},
        {kHkeyPerformanceData, "HKPD"}, {kHkeyCurrentConfig, "HKCC"}, {kHkeyDynData, "HKDD"},
    };
    return names;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool IsRootPath(const std::string& path) {
    return path.find('\\') == std::string::npos;
}

}  // namespace

void FakeRegistryApi::PutKey(const std::string& path) {
    std::string prefix;
    std::string::size_type from = 0;
    while (from != std::string::npos) {
        const std::string::size_type cut = path.find('\\', from);
        prefix = path.substr(0, cut);
        from = cut == std::string::npos ? cut : cut + 1;
        if (!IsRootPath(prefix) && !Find(prefix))
            keys_[Upper(prefix)].path = prefix;
    }
}

void FakeRegistryApi::PutValue(const std::string& keyPath,
                               const std::string& name,
                               std::uint32_t type,
                               std::vector<std::uint8_t> data) {
    PutKey(keyPath);
    Find(keyPath)->values[Upper(name)] = Value{type, std::move(data)};
}

void FakeRegistryApi::Grant(const std::string& keyPath, std::uint32_t access) {
    PutKey(keyPath);
    Find(keyPath)->granted = access;
}

bool FakeRegistryApi::HasKey(const std::string& path) const {
    return Find(path) != nullptr;
}

std::optional<FakeRegistryApi::Value> FakeRegistryApi::GetValue(const std::string& keyPath,
                                                                const std::string& name) const {
    const Key* key = Find(keyPath);
    if (!key)
        return std::nullopt;
    auto value = key->values.find(Upper(name));
    if (value == key->values.end())
        return std::nullopt;
    return value->second;
}

std::vector<std::string> FakeRegistryApi::KeyPaths() const {
    std::vector<std::string> paths;
    for (const auto& entry : keys_)
        paths.push_back(entry.second.path);
    return paths;
}

FakeRegistryApi::Key* FakeRegistryApi::Find(const std::string& path) {
    auto key = keys_.find(Upper(path));
    return key == keys_.end() ? nullptr : &key->second;
}

const FakeRegistryApi::Key* FakeRegistryApi::Find(const std::string& path) const {
    auto key = keys_.find(Upper(path));
    return key == keys_.end() ? nullptr : &key->second;
}

std::optional<std::string> FakeRegistryApi::BasePath(RegKey handle) const {
    for (const auto& root : RootNames()) {
        if (PredefinedKey(root.first) == handle)
            return root.second;
    }
    auto open = handles_.find(handle);
    if (open == handles_.end())
        return std::nullopt;
    return open->second;
}

FakeRegistryApi::Key* FakeRegistryApi::FindByHandle(RegKey handle) {
    auto open = handles_.find(handle);
    return open == handles_.end() ? nullptr : Find(open->second);
}

std::optional<std::string> FakeRegistryApi::Resolve(RegKey parent, const std::string& subKey) const {
    std::optional<std::string> path = BasePath(parent);
    if (!path || subKey.empty())
        return path;
    // Windows tolerates one trailing separator but no empty part elsewhere.
    std::string trimmed = subKey;
    if (trimmed.back() == '\\')
        trimmed.pop_back();
    if (trimmed.empty() || trimmed.front() == '\\' || trimmed.find("\\\\") != std::string::npos)
        return std::nullopt;
    return *path + "\\" + trimmed;
}

std::vector<std::string> FakeRegistryApi::ChildNames(const std::string& path) const {
    const std::string prefix = Upper(path) + "\\";
    std::vector<std::string> names;
    for (const auto& entry : keys_) {
        const std::string& upper = entry.first;
        if (upper.compare(0, prefix.size(), prefix) == 0 && upper.find('\\', prefix.size()) == std::string::npos)
            names.push_back(entry.second.path.substr(prefix.size()));
    }
    return names;
}

RegResult FakeRegistryApi::OpenOrCreate(bool create,
                                        RegKey parent,
                                        const std::string& subKey,
                                        std::uint32_t access,
                                        RegKey& key) {
    if (!BasePath(parent))
        return kRegInvalidHandle;
    const std::optional<std::string> path = Resolve(parent, subKey);
    if (!path)
        return kRegBadPathname;
    openRequests_.push_back(OpenRequest{create, *path, access});
    if (!IsRootPath(*path) && !Find(*path)) {
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

RegResult FakeRegistryApi::CreateKey(RegKey parent, const std::string& subKey, std::uint32_t access, RegKey& key) {
    return OpenOrCreate(true, parent, subKey, access, key);
}

RegResult FakeRegistryApi::OpenKey(RegKey parent, const std::string& subKey, std::uint32_t access, RegKey& key) {
    return OpenOrCreate(false, parent, subKey, access, key);
}

RegResult FakeRegistryApi::QueryValue(RegKey handle,
                                      const std::string& name,
                                      std::uint32_t* type,
                                      std::uint8_t* data,
                                      std::uint32_t* size) {
    const Key* key = FindByHandle(handle);
    if (!key)
        return kRegInvalidHandle;
    auto value = key->values.find(Upper(name));
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

RegResult FakeRegistryApi::SetValue(RegKey handle,
                                    const std::string& name,
                                    std::uint32_t type,
                                    const std::uint8_t* data,
                                    std::uint32_t size) {
    Key* key = FindByHandle(handle);
    if (!key)
        return kRegInvalidHandle;
    key->values[Upper(name)] = Value{type, std::vector<std::uint8_t>(data, data + size)};
    return kRegSuccess;
}

RegResult FakeRegistryApi::DeleteValue(RegKey handle, const std::string& name) {
    Key* key = FindByHandle(handle);
    if (!key)
        return kRegInvalidHandle;
    return key->values.erase(Upper(name)) > 0 ? kRegSuccess : kRegFileNotFound;
}

RegResult FakeRegistryApi::EnumKey(RegKey handle, std::uint32_t index, std::string& name) {
    auto open = handles_.find(handle);
    if (open == handles_.end())
        return kRegInvalidHandle;
    const std::vector<std::string> names = ChildNames(open->second);
    if (index >= names.size())
        return kRegNoMoreItems;
    name = names[index];
    return kRegSuccess;
}

RegResult FakeRegistryApi::DeleteKey(RegKey parent, const std::string& subKey) {
    const std::optional<std::string> path = Resolve(parent, subKey);
    if (!path || subKey.empty())
        return kRegBadPathname;
    const Key* key = Find(*path);
    if (!key)
        return kRegFileNotFound;
    if (!ChildNames(*path).empty())
        return kRegAccessDenied;
    deletedKeys_.push_back(key->path);
    keys_.erase(Upper(*path));
    return kRegSuccess;
}

void FakeRegistryApi::CloseKey(RegKey handle) {
    if (handles_.erase(handle) == 0)
        ADD_FAILURE() << "closed a key handle that is not open: " << handle;
}

}  // namespace quillcrest
