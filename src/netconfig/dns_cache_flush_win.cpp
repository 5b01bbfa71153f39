#include "netconfig/dns_cache_flush_win.h"

#include <shellapi.h>

#include "settings/process_facts_win.h"
#include "widgets/application_window_win.h"

namespace quillcrest {
namespace {

constexpr const char* kVerb = "Open";
constexpr const char* kInterpreter = "\\cmd.exe";
constexpr const char* kFlushParameters = " /C ipconfig /flushdns";

}  // namespace

void FlushDNSCache(HWND owner, const std::string& systemDirectory, const ShellLauncher& launch) {
    try {
        // Without the system folder the path would be "\cmd.exe" on whatever drive is current: better not to
        // start anything than to start an unknown program.
        if (systemDirectory.empty() || !launch)
            return;
        const std::string interpreter = systemDirectory + kInterpreter;
        // cmd looks for "ipconfig" in its working directory before the system folder, and an inherited one may be
        // the program's own folder: started in the system folder, it finds the system's ipconfig first.
        // The launch result is of no use: nobody is told whether the cache was emptied.
        launch(owner, kVerb, interpreter.c_str(), kFlushParameters, systemDirectory.c_str(), SW_HIDE);
    } catch (...) {
    }
}

void FlushDNSCache(const ShellLauncher& launch) {
    try {
        FlushDNSCache(ApplicationWindow(), GetSysDir(), launch);
    } catch (...) {
    }
}

void FlushDNSCache() {
    FlushDNSCache(::ShellExecuteA);
}

}  // namespace quillcrest
