#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/win_handles_win.h"

namespace quillcrest::fakes {

// The wide form of an ASCII text.
inline std::wstring Wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

// REG_SZ data: the text's UTF-16 units, with their NUL unless terminated is false.
inline std::string Utf16Bytes(const std::wstring& text, bool terminated = true) {
    std::string bytes(reinterpret_cast<const char*>(text.c_str()), text.size() * sizeof(wchar_t));
    return terminated ? bytes + std::string(2, '\0') : bytes;
}

inline std::string DwordBytes(DWORD number) {
    return std::string(reinterpret_cast<const char*>(&number), sizeof number);
}

// Writes values under HKEY_LOCAL_MACHINE and puts everything back when it goes: keys it made are removed with
// all beneath them, values it replaced in keys that were there get their old data again.
class RegistryScratch {
  public:
    ~RegistryScratch() {
        for (auto it = undo_.rbegin(); it != undo_.rend(); ++it)
            (*it)();
    }

    void Set(const std::string& path, const std::string& name, DWORD type, const std::string& data) {
        RecordUndo(path, name);
        UniqueKey key;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(path).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                    key.put(), nullptr),
                  ERROR_SUCCESS)
            << path;
        ASSERT_EQ(::RegSetValueExW(key.get(), Wide(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                   static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS)
            << path << " " << name;
    }

  private:
    static bool Exists(const std::string& path) {
        UniqueKey key;
        return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(path).c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
    }

    void RecordUndo(const std::string& path, const std::string& name) {
        if (!Exists(path)) {
            // The highest key on the path that is missing goes again with everything beneath it.
            std::string top = path;
            for (std::size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1)) {
                if (!Exists(path.substr(0, at))) {
                    top = path.substr(0, at);
                    break;
                }
            }
            undo_.push_back([top] {
                ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, Wide(top).c_str());
                ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, Wide(top).c_str());
            });
            return;
        }
        UniqueKey key;
        ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(path).c_str(), 0, KEY_READ, key.put());
        DWORD type = 0, size = 0;
        if (::RegQueryValueExW(key.get(), Wide(name).c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
            undo_.push_back([path, name] {
                UniqueKey opened;
                if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(path).c_str(), 0, KEY_SET_VALUE, opened.put()) ==
                    ERROR_SUCCESS)
                    ::RegDeleteValueW(opened.get(), Wide(name).c_str());
            });
            return;
        }
        std::string old(size, '\0');
        ::RegQueryValueExW(key.get(), Wide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(old.data()), &size);
        undo_.push_back([path, name, type, old] {
            UniqueKey opened;
            if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(path).c_str(), 0, KEY_SET_VALUE, opened.put()) ==
                ERROR_SUCCESS)
                ::RegSetValueExW(opened.get(), Wide(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(old.data()),
                                 static_cast<DWORD>(old.size()));
        });
    }

    std::vector<std::function<void()>> undo_;
};

// A folder of the test's own under the temporary folder (prefix and the process's number), which "DataBasePath"
// names while registry lives, so that the prefix's own hosts file is never touched. Made where it is missing.
inline std::wstring HostsFolderForTest(RegistryScratch& registry, const std::wstring& prefix) {
    wchar_t temp[MAX_PATH + 1] = {};
    EXPECT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring folder = std::wstring(temp) + prefix + std::to_wstring(::GetCurrentProcessId());
    EXPECT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
    registry.Set("SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", "DataBasePath", REG_EXPAND_SZ,
                 Utf16Bytes(folder));
    return folder;
}

}  // namespace quillcrest::fakes
