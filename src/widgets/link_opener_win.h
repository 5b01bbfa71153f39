#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace quillcrest {

// Same parameters as ShellExecuteA, so tests can stand in for the shell.
using LinkLauncher = std::function<HINSTANCE(HWND owner,
                                             const char* verb,
                                             const char* file,
                                             const char* parameters,
                                             const char* directory,
                                             int showCommand)>;

// The program's one way to open a link from a page: in the default browser, and only when IsOpenableLink allows
// it. Returns whether it was handed to the shell.
bool OpenLinkInBrowser(HWND owner, const std::string& address);
bool OpenLinkInBrowser(HWND owner, const std::string& address, const LinkLauncher& launch);

}  // namespace quillcrest
