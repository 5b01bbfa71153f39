#pragma once

// The start-with-Windows value as the Windows tests look at it: with the W functions, every character kept.

#include <windows.h>

#include <optional>
#include <string>

#include "base/win_handles_win.h"

namespace quillcrest::fakes {

constexpr wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValueName[] = L"VORLANKE";

// The text the value holds; nullopt when there is no value.
inline std::optional<std::wstring> StoredRunValue() {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    const UniqueKey key(opened);
    wchar_t text[1024] = {};
    DWORD bytes = sizeof text - sizeof(wchar_t);
    if (::RegQueryValueExW(key.get(), kRunValueName, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(text);
}

inline void DeleteRunValue() {
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValueName);
}

}  // namespace quillcrest::fakes
