#include "app/start_with_windows_win.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>

#include "app/run_entry.h"
#include "base/system_message_win.h"
#include "base/win_handles_win.h"
#include "settings/process_facts_win.h"
#include "settings/registry_values_win.h"
#include "watch/locale_text_equality_win.h"

namespace quillcrest {
namespace {

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "VORLANKE";

[[noreturn]] void RaiseRefused(std::uint32_t code) {
    throw ERunValueRefused(code, SystemMessageText(code));
}

void RaiseUnlessDone(RegResult result) {
    if (result != kRegSuccess)
        RaiseRefused(static_cast<std::uint32_t>(result));
}

// The stored text, read with query rights only: the registry reads of the settings layer ask for full access,
// which HKEY_LOCAL_MACHINE grants only to an elevated process, and the box must show the truth to everyone.
// nullopt when the value does not exist (or the key cannot be read at all).
std::optional<std::string> StoredRunValue() {
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    const UniqueKey key(opened);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key.get(), kRunValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return std::string();
    std::string text(size, '\0');
    if (::RegQueryValueExA(key.get(), kRunValue, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    text.resize(std::min<std::size_t>(size, text.size()));
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

}  // namespace

bool StartsWithWindows() {
    return RunEntryNames(StoredRunValue().value_or(""), GetExePath(), EqualIgnoringCaseByUserLocale);
}

bool StartWithWindowsValuePresent() {
    return StoredRunValue().has_value();
}

void RegisterStartWithWindows() {
    const std::string path = GetExePath();
    if (path.empty())
        RaiseRefused(::GetLastError());
    RaiseUnlessDone(WriteRegValue(kHkeyLocalMachine, kRunKey, kRunValue, TypedValue::String(RunEntryFor(path))));
}

void UnregisterStartWithWindows() {
    // Deleting opens the key for writing, which an unelevated process may not do even when nothing is there.
    if (!StartWithWindowsValuePresent())
        return;
    RaiseUnlessDone(DeleteRegValue(kHkeyLocalMachine, kRunKey, kRunValue));
}

}  // namespace quillcrest
