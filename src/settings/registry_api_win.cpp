#include "settings/registry_api_win.h"

#include <windows.h>

#include "base/win_handles_win.h"
#include "settings/process_facts_win.h"

namespace quillcrest {
namespace {

static_assert(kRegSuccess == ERROR_SUCCESS && kRegFileNotFound == ERROR_FILE_NOT_FOUND &&
              kRegAccessDenied == ERROR_ACCESS_DENIED && kRegInvalidHandle == ERROR_INVALID_HANDLE &&
              kRegMoreData == ERROR_MORE_DATA && kRegNoMoreItems == ERROR_NO_MORE_ITEMS);
static_assert(kRegSz == REG_SZ && kRegExpandSz == REG_EXPAND_SZ && kRegBinary == REG_BINARY && kRegDword == REG_DWORD &&
              kRegMultiSz == REG_MULTI_SZ && kRegQword == REG_QWORD);
static_assert(kKeyRead == KEY_READ && kKeyWrite == KEY_WRITE && kKeyAllAccess == KEY_ALL_ACCESS);

HKEY ToHkey(RegKey key) {
    return reinterpret_cast<HKEY>(key);
}

RegKey FromHkey(HKEY key) {
    return reinterpret_cast<RegKey>(key);
}

// Hands an opened key to the caller only on success, so a failed call never leaves a handle behind.
RegResult Deliver(LONG status, UniqueKey& opened, RegKey& key) {
    if (status == ERROR_SUCCESS)
        key = FromHkey(opened.release());
    return status;
}

}  // namespace

RegResult Win32RegistryApi::CreateKey(RegKey parent, const std::string& subKey, std::uint32_t access, RegKey& key) {
    UniqueKey opened;
    const LONG status = ::RegCreateKeyExA(ToHkey(parent), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                          nullptr, opened.put(), nullptr);
    return Deliver(status, opened, key);
}

RegResult Win32RegistryApi::OpenKey(RegKey parent, const std::string& subKey, std::uint32_t access, RegKey& key) {
    UniqueKey opened;
    const LONG status = ::RegOpenKeyExA(ToHkey(parent), subKey.c_str(), 0, access, opened.put());
    return Deliver(status, opened, key);
}

RegResult Win32RegistryApi::QueryValue(RegKey key,
                                       const std::string& name,
                                       std::uint32_t* type,
                                       std::uint8_t* data,
                                       std::uint32_t* size) {
    DWORD valueType = 0;
    DWORD valueSize = size ? *size : 0;
    const LONG status =
        ::RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &valueType, data, size ? &valueSize : nullptr);
    if (type)
        *type = valueType;
    if (size)
        *size = valueSize;
    return status;
}

RegResult Win32RegistryApi::SetValue(RegKey key,
                                     const std::string& name,
                                     std::uint32_t type,
                                     const std::uint8_t* data,
                                     std::uint32_t size) {
    return ::RegSetValueExA(ToHkey(key), name.c_str(), 0, type, data, size);
}

RegResult Win32RegistryApi::DeleteValue(RegKey key, const std::string& name) {
    return ::RegDeleteValueA(ToHkey(key), name.c_str());
}

RegResult Win32RegistryApi::EnumKey(RegKey key, std::uint32_t index, std::string& name) {
    char buffer[kMaxKeyNameLength + 1];
    DWORD length = sizeof buffer;
    const LONG status = ::RegEnumKeyExA(ToHkey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS)
        name.assign(buffer, length);
    return status;
}

RegResult Win32RegistryApi::DeleteKey(RegKey parent, const std::string& subKey) {
    return ::RegDeleteKeyA(ToHkey(parent), subKey.c_str());
}

void Win32RegistryApi::CloseKey(RegKey key) {
    ::RegCloseKey(ToHkey(key));
}

bool Win32RegistryApi::IsNtFamily() const {
    return IsWinNT();
}

}  // namespace quillcrest
