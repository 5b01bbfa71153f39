#include "resolution/registry_tree_win.h"

#include <windows.h>

#include <optional>

#include "base/win_handles_win.h"
#include "resolution/wide_text_win.h"

namespace quillcrest {
namespace {

// The longest value name the registry allows, in characters, and one more for its NUL.
constexpr DWORD kValueNameBufferLength = 16384;
// The longest key name, in characters, and one more for its NUL.
constexpr DWORD kKeyNameBufferLength = 256;
constexpr DWORD kFirstDataBufferSize = 4096;
// A value that grows between the call that sized the buffer and the call that reads it is asked for again at
// most this often before its key counts as unreadable.
constexpr int kReadAttempts = 4;

bool IsMissing(LONG status) {
    return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND || status == ERROR_KEY_DELETED;
}

}  // namespace

Win32RegistryTree::Win32RegistryTree() : nameBuffer_(kValueNameBufferLength), dataBuffer_(kFirstDataBufferSize) {}

RegistryKeyContents Win32RegistryTree::ReadKey(const std::string& path, const RegistryKeyQuery& query) {
    RegistryKeyContents contents;
    auto fail = [&contents](LONG status) {
        contents = RegistryKeyContents();
        contents.state = IsMissing(status) ? ReadState::Absent : ReadState::Unreadable;
        return contents;
    };
    const std::optional<std::wstring> widePath = WideFromWtf8(path);
    if (!widePath)
        return fail(ERROR_INVALID_NAME);
    UniqueKey key;
    LONG status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, widePath->c_str(), 0, KEY_READ, key.put());
    if (status != ERROR_SUCCESS)
        return fail(status);
    contents.state = ReadState::Read;

    if (query.subkeys) {
        for (DWORD index = 0;; ++index) {
            DWORD length = kKeyNameBufferLength;
            status = ::RegEnumKeyExW(key.get(), index, nameBuffer_.data(), &length, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS)
                break;
            if (status != ERROR_SUCCESS)
                return fail(status);
            contents.subkeys.push_back(Wtf8FromWide(nameBuffer_.data(), length));
        }
    }

    // Reads one value through call (the enumerating or the querying function, given the data buffer and its
    // size) into value; a value over the limit is asked for its type and size only.
    auto readValue = [this](auto&& call, RegistryValue& value) -> LONG {
        for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
            DWORD type = 0;
            DWORD size = static_cast<DWORD>(dataBuffer_.size());
            LONG result = call(&type, dataBuffer_.data(), &size);
            if (result == ERROR_MORE_DATA) {
                result = call(&type, nullptr, &size);
                if (result != ERROR_SUCCESS)
                    return result;
                if (size > kLongestRegistryValue) {
                    value.type = type;
                    value.data.clear();
                    value.oversizeBytes = size;
                    return ERROR_SUCCESS;
                }
                dataBuffer_.resize(size);
                continue;
            }
            if (result == ERROR_SUCCESS) {
                value.type = type;
                value.data.assign(reinterpret_cast<const char*>(dataBuffer_.data()), size);
                value.oversizeBytes = 0;
            }
            return result;
        }
        return ERROR_MORE_DATA;
    };

    if (query.allValues) {
        for (DWORD index = 0;; ++index) {
            DWORD nameLength = 0;
            RegistryValue value;
            status = readValue(
                [&](DWORD* type, unsigned char* data, DWORD* size) {
                    nameLength = kValueNameBufferLength;
                    return ::RegEnumValueW(key.get(), index, nameBuffer_.data(), &nameLength, nullptr, type, data,
                                           size);
                },
                value);
            if (status == ERROR_NO_MORE_ITEMS)
                break;
            if (status != ERROR_SUCCESS)
                return fail(status);
            value.name = Wtf8FromWide(nameBuffer_.data(), nameLength);
            contents.values.push_back(std::move(value));
        }
    } else {
        for (const std::string& name : query.valueNames) {
            const std::optional<std::wstring> wideName = WideFromWtf8(name);
            if (!wideName)
                return fail(ERROR_INVALID_NAME);
            RegistryValue value;
            status = readValue(
                [&](DWORD* type, unsigned char* data, DWORD* size) {
                    return ::RegQueryValueExW(key.get(), wideName->c_str(), nullptr, type, data, size);
                },
                value);
            if (status == ERROR_FILE_NOT_FOUND)
                continue;
            if (status != ERROR_SUCCESS)
                return fail(status);
            value.name = name;
            contents.values.push_back(std::move(value));
        }
    }
    return contents;
}

}  // namespace quillcrest
