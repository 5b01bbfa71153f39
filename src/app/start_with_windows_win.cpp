#include "app/start_with_windows_win.h"

#include <windows.h>

#include "app/run_entry.h"
#include "base/exception.h"
#include "base/system_message_win.h"
#include "settings/process_facts_win.h"
#include "settings/registry_values_win.h"
#include "watch/locale_text_equality_win.h"

namespace quillcrest {
namespace {

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "VORLANKE";

void RaiseUnlessDone(RegResult result) {
    if (result != kRegSuccess)
        throw Exception(SystemMessageText(static_cast<std::uint32_t>(result)));
}

}  // namespace

bool StartsWithWindows() {
    const TypedValue entry = ReadRegValue(kHkeyLocalMachine, kRunKey, kRunValue, TypedValue::String(""));
    return RunEntryNames(entry.asString(), GetExePath(), EqualIgnoringCaseByUserLocale);
}

void RegisterStartWithWindows() {
    const std::string path = GetExePath();
    if (path.empty())
        throw Exception(SystemMessageText(::GetLastError()));
    RaiseUnlessDone(WriteRegValue(kHkeyLocalMachine, kRunKey, kRunValue, TypedValue::String(RunEntryFor(path))));
}

void UnregisterStartWithWindows() {
    RaiseUnlessDone(DeleteRegValue(kHkeyLocalMachine, kRunKey, kRunValue));
}

}  // namespace quillcrest
