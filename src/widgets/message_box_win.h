#pragma once

#include <windows.h>

#include <string>

namespace quillcrest {

// A system message box that is modal for the whole program, like its own modal windows: owned by the active
// window (the application's window when none is active), every other window of the thread disabled while it is
// up, and brought to the front by the tray's commands. Returns the id of the button that closed it.
int ShowModalMessageBox(const std::string& text, const char* caption, UINT style);

}  // namespace quillcrest
