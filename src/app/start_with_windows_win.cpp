#include "app/start_with_windows_win.h"

#include <windows.h>

#include "settings/registry_values_win.h"

namespace quillcrest {
namespace {
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "VORLANKE";
}  // namespace

std::string RunningExecutablePath() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

bool StartsWithWindows() {
    const TypedValue entry = ReadRegValue(kHkeyLocalMachine, kRunKey, kRunValue, TypedValue::String(""));
    const std::string path = RunningExecutablePath();
    const std::string stored = entry.asString();
    return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, stored.c_str(), static_cast<int>(stored.size()),
                            path.c_str(), static_cast<int>(path.size())) == CSTR_EQUAL;
}

void RegisterStartWithWindows() {
    WriteRegValue(kHkeyLocalMachine, kRunKey, kRunValue, TypedValue::String(RunningExecutablePath()));
}

void UnregisterStartWithWindows() {
    DeleteRegValue(kHkeyLocalMachine, kRunKey, kRunValue);
}

}  // namespace quillcrest
