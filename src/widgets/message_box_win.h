#pragma once

#include <windows.h>

#include <string>

namespace quillcrest {

// A system message box that is modal for the whole program, like its own modal windows: owned by the active
// window (the application's window when none is active), every other window of the thread disabled while it is
// up, and brought to the front by the tray's commands. Returns the id of the button that closed it.
int ShowModalMessageBox(const std::string& text, const char* caption, UINT style);
// The same for a UTF-8 text and caption (names of adapters and files as Windows gives them), shown through the
// UTF-16 function.
int ShowModalUnicodeMessageBox(const std::string& text, const std::string& caption, UINT style);

}  // namespace quillcrest
