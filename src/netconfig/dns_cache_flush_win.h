#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace quillcrest {

// Same parameters as ShellExecuteA, so tests can stand in for the shell.
using ShellLauncher = std::function<HINSTANCE(HWND owner,
                                              const char* verb,
                                              const char* file,
                                              const char* parameters,
                                              const char* directory,
                                              int showCommand)>;

// Empties the resolver cache by starting "cmd.exe /C ipconfig /flushdns" hidden from the system folder, with
// the system folder as its working directory.
// Returns at once without waiting for the command; never raises.
void FlushDNSCache();
// With the application window as owner and the system folder, but another launcher.
void FlushDNSCache(const ShellLauncher& launch);
void FlushDNSCache(HWND owner, const std::string& systemDirectory, const ShellLauncher& launch);

}  // namespace quillcrest
