#pragma once

#include <windows.h>

namespace quillcrest {

// The application's own hidden top-level window: owner of shell launches and of the taskbar button
// before the main window takes it over. Null before the application object exists (for example in tests).
HWND ApplicationWindow();
void SetApplicationWindow(HWND window);

}  // namespace quillcrest
