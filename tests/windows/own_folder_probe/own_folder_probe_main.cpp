// Started by the Windows tests from a copy in a folder of their choosing: finds its own path and keeps an allowed
// list beside itself, as the program does, and prints what it found (UTF-8), one "name=value" line each:
//   path=    its own path as the program reads it
//   entries= the entries a fresh load of the list gives after one was added, joined by ";"
//   names-itself= 1 when the start-with-Windows value it then wrote reads back as naming itself
// On a failure it prints "error=" and the reason and ends with 1.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

#include "settings/process_facts_win.h"
#include "startup/start_with_windows_win.h"
#include "watch/allowed_list.h"
#include "watch/file_system_win.h"

int main() {
    // Seen by the test when the probe ran at all.
    std::printf("started\n");
    try {
        using namespace quillcrest;
        std::printf("path=%s\n", GetExePathUtf8().c_str());
        WinFileSystem files;
        AllowedList saved(files, GetExeDirUtf8());
        saved.Load();
        saved.AddDNSToGoodList("127.0.0.9");
        AllowedList loaded(files, GetExeDirUtf8());
        loaded.Load();
        std::string entries;
        for (const std::string& entry : loaded.entries())
            entries += (entries.empty() ? "" : ";") + entry;
        std::printf("entries=%s\n", entries.c_str());
        RegisterStartWithWindows();
        std::printf("names-itself=%d\n", StartsWithWindows() ? 1 : 0);
        return 0;
    } catch (const std::exception& error) {
        std::printf("error=%s\n", error.what());
        return 1;
    }
}
