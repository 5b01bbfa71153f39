#include "startup/start_with_windows_win.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <optional>
#include <string>

#include "base/system_message_win.h"
#include "base/utf8_text_win.h"
#include "base/win_handles_win.h"
#include "settings/process_facts_win.h"
#include "startup/run_entry.h"

namespace quillcrest {
namespace {

// The value holds the executable's path, which may have characters outside the ANSI code page: it is read, written
// and compared through the W functions, with the path in UTF-8 inside the program.
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Kept as it is on purpose: installed copies, Setup and the uninstaller know the Run value by this name.
constexpr wchar_t kRunValue[] = L"VORLANKE";

[[noreturn]] void RaiseRefused(std::uint32_t code) {
    throw ERunValueRefused(code, SystemMessageText(code));
}

void RaiseUnlessDone(LONG result) {
    if (result != ERROR_SUCCESS)
        RaiseRefused(static_cast<std::uint32_t>(result));
}

// Letter case aside by the rules of the user's locale, as Windows compares the paths a user types.
bool PathsEqualIgnoringCase(const std::string& a, const std::string& b) {
    const std::wstring wideA = WideFromUtf8(a);
    const std::wstring wideB = WideFromUtf8(b);
    constexpr std::size_t kLongest = static_cast<std::size_t>(std::numeric_limits<int>::max());
    if (wideA.size() > kLongest || wideB.size() > kLongest)
        return false;
    return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wideA.data(), static_cast<int>(wideA.size()),
                            wideB.data(), static_cast<int>(wideB.size())) == CSTR_EQUAL;
}

// The stored text in UTF-8, read with query rights only: HKEY_LOCAL_MACHINE grants more only to an elevated
// process, and the box must show the truth to everyone. nullopt when the value does not exist (or the key cannot
// be read at all).
std::optional<std::string> StoredRunValue() {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    const UniqueKey key(opened);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), kRunValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return std::string();
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key.get(), kRunValue, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    text.resize(std::min<std::size_t>(bytes / sizeof(wchar_t), text.size()));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return Utf8FromWide(text);
}

}  // namespace

bool StartsWithWindows() {
    return RunEntryNames(StoredRunValue().value_or(""), GetExePathUtf8(), PathsEqualIgnoringCase);
}

bool StartWithWindowsValuePresent() {
    return StoredRunValue().has_value();
}

void RegisterStartWithWindows() {
    const std::string path = GetExePathUtf8();
    if (path.empty())
        RaiseRefused(::GetLastError());
    const std::wstring entry = WideFromUtf8(RunEntryFor(path));
    HKEY created = nullptr;
    RaiseUnlessDone(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &created, nullptr));
    const UniqueKey key(created);
    const auto bytes = static_cast<DWORD>((entry.size() + 1) * sizeof(wchar_t));
    RaiseUnlessDone(
        ::RegSetValueExW(key.get(), kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.c_str()), bytes));
}

void UnregisterStartWithWindows() {
    // Deleting opens the key for writing, which an unelevated process may not do even when nothing is there.
    if (!StartWithWindowsValuePresent())
        return;
    HKEY opened = nullptr;
    RaiseUnlessDone(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &opened));
    const UniqueKey key(opened);
    RaiseUnlessDone(::RegDeleteValueW(key.get(), kRunValue));
}

}  // namespace quillcrest
